// The file functions on the platform's own file system, Windows included: page paths with "/",
// whole-file replacement, and failures reported with the system's message.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "BridgeTestSupport.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;

class PortableFiles : public ::testing::Test {
protected:
    static TBridgeContext NativeContext(const TScratchFolder& folder) {
        TBridgeContext context;
        context.appDir = folder.Path().string() + static_cast<char>(fs::path::preferred_separator);
        context.exePath = context.appDir + "app.exe";
        return context;
    }
    PortableFiles() : host(NativeContext(folder)) {}
    TScratchFolder folder;
    TTestBridgeHost host;
};

TEST_F(PortableFiles, WriteReplaceTestAndDelete) {
    EXPECT_EQ(host.Reply("30003", R"({"filePath": "sub/dir/out.txt", "contents": "a\nb"})"), Success("true"));
    const fs::path written = folder.Path() / "sub" / "dir" / "out.txt";
    EXPECT_EQ(ReadFileBytes(written),
              "\xEF\xBB\xBF"
              "a\r\nb\r\n");
    EXPECT_EQ(host.Reply("30003", R"({"filePath": "sub/dir/out.txt", "contents": "c"})"), Success("true"));
    EXPECT_EQ(ReadFileBytes(written),
              "\xEF\xBB\xBF"
              "c\r\n");
    EXPECT_EQ(host.Reply("90001", R"({"filePath": "sub/dir/out.txt", "contents": "YWJj"})"), Success("true"));
    EXPECT_EQ(ReadFileBytes(written), "abc");
    EXPECT_EQ(std::distance(fs::directory_iterator(written.parent_path()), fs::directory_iterator()), 1);

    EXPECT_EQ(host.Reply("30001", R"({"filePath": "sub/dir/out.txt"})"), Success("true"));
    EXPECT_EQ(host.Reply("30001", R"({"filePath": "sub/dir"})"), Success("false"));
    EXPECT_EQ(host.Reply("40001", R"({"dirPath": "sub/dir"})"), Success("true"));
    EXPECT_EQ(host.Reply("30002", R"({"filePath": "sub/dir/out.txt"})"), Success("true"));
    EXPECT_FALSE(fs::exists(written));
    EXPECT_EQ(host.Reply("40002", R"({"dirPath": "sub"})"), Success("true"));
    EXPECT_FALSE(fs::exists(folder.Path() / "sub"));
}

TEST_F(PortableFiles, WriteBelowAFileFailsWithTheSystemsMessage) {
    WriteFileBytes(folder.Path() / "blocker", "x");
    const nlohmann::json reply =
        nlohmann::json::parse(host.Reply("30003", R"({"filePath": "blocker/out.txt", "contents": "x"})"));
    EXPECT_EQ(reply["success"], false);
    const std::string message = reply["result"];
    EXPECT_EQ(message.rfind("Cannot create file \"", 0), 0u) << message;
    EXPECT_GT(message.size(), message.find("\". ") + 3) << "the reason follows: " << message;
    EXPECT_EQ(ReadFileBytes(folder.Path() / "blocker"), "x");
}

}  // namespace
}  // namespace zorv::test
