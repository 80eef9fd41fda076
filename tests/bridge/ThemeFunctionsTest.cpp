// zorv.themes.* over the theme catalogue and the recording theme engine.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "BridgeTestSupport.h"
#include "archive/AbZipKit.h"

namespace zorv::test {
namespace {

class ThemeFunctions : public ::testing::Test {
protected:
    ThemeFunctions() { host.UseArchive(archive); }
    TAbZipKit archive;
    TTestBridgeHost host;
};

TEST_F(ThemeFunctions, ListsTheFortyNamesSorted) {
    const std::string reply = host.Reply("80002");
    const auto names = nlohmann::json::parse(reply)["result"].get<std::vector<std::string>>();
    ASSERT_EQ(names.size(), 40u);
    EXPECT_EQ(names[0], "Amakrits");
    EXPECT_EQ(names[33], "Windows");
    EXPECT_EQ(names[39], "Windows10 SlateGray");
    EXPECT_NE(reply.find("[\"Amakrits\",\"Amethyst Kamri\","), std::string::npos) << reply;
}

TEST_F(ThemeFunctions, SetAndGet) {
    struct TCase {
        const char* data;
        const char* reply;
        const char* activeAfter;
    };
    const TCase cases[] = {
        {"{\"name\": \"Carbon\"}", "true", "\"Carbon\""},
        {"{\"name\": \"Carbon\"}", "true", "\"Carbon\""},  // the active one: still true
        {"{\"name\": \"luna\"}", "false", "\"Luna\""},     // switches, but the name differs
        {"{\"name\": \"No Such Theme\"}", "false", "\"Luna\""},
        {"{}", "false", "\"Luna\""},
        {"{\"name\": \"Windows\"}", "true", "\"Windows\""},
    };
    EXPECT_EQ(host.Reply("80001"), Success("\"Windows\""));
    for (const TCase& c : cases) {
        EXPECT_EQ(host.Reply("80003", c.data), Success(c.reply)) << c.data;
        EXPECT_EQ(host.Reply("80001"), Success(c.activeAfter)) << c.data;
    }
    EXPECT_TRUE(host.dialogs.Messages().empty());
    ASSERT_FALSE(host.themeEngine.Applied().empty());
    EXPECT_EQ(host.themeEngine.Applied().back(), "Windows");
}

TEST_F(ThemeFunctions, NameOfTheWrongTypeIsAnErrorReply) {
    EXPECT_EQ(host.Reply("80003", "{\"name\": [\"Carbon\"]}"),
              Failure("\"Value 'name' must be a string, not an array\""));
    EXPECT_EQ(host.Reply("80001"), Success("\"Windows\""));
}

}  // namespace
}  // namespace zorv::test
