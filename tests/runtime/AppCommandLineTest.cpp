#include "runtime/AppCommandLine.h"

#include <gtest/gtest.h>

#include "runtime/AppUrl.h"

namespace zorv::test {
namespace {

using TArgs = std::vector<std::string>;

struct TStartCase {
    TArgs args;
    bool isRelaunch;
    std::string startUrl;  // empty: the start page
};

class AppCommandLineTest : public testing::TestWithParam<TStartCase> {};

TEST_P(AppCommandLineTest, FollowsTheConvention) {
    const TStartCase& c = GetParam();
    EXPECT_EQ(TAppCommandLine::IsRelaunch(c.args, "com.acme.app"), c.isRelaunch);
    const std::string expected = c.startUrl.empty() ? TAppUrl::StartPageUrl("index.html") : c.startUrl;
    EXPECT_EQ(TAppCommandLine::StartUrl(c.args, "com.acme.app", "index.html"), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppCommandLineTest,
    testing::Values(TStartCase{{}, false, ""},
                    TStartCase{{"com.acme.app", "file:///page2.html"}, true, "file:///page2.html"},
                    TStartCase{{"COM.ACME.APP", "file:///page2.html"}, false, ""},
                    TStartCase{{"com.acme.app"}, false, ""},
                    TStartCase{{"com.acme.app", "file:///a.html", "extra"}, false, ""},
                    TStartCase{{"other", "com.acme.app"}, false, ""},
                    // A relaunch opens only pages of the application's URL space.
                    TStartCase{{"com.acme.app", "https://example.com/"}, true, ""},
                    TStartCase{{"com.acme.app", "file://server/share/page.html"},
                               true,
                               TAppUrl::Prefix() == TAppUrl::FileUrlPrefix ? "" : "file://server/share/page.html"},
                    TStartCase{{"com.acme.app", "javascript:alert(1)"}, true, ""}));

TEST(AppCommandLineRelaunchTest, RelaunchArgumentsAreUnderstoodByTheNewInstance) {
    const std::string url = std::string(TAppUrl::Prefix()) + "a \"b\".html";
    const TArgs args = TAppCommandLine::RelaunchArguments("com.acme.app", url);
    EXPECT_TRUE(TAppCommandLine::IsRelaunch(args, "com.acme.app"));
    EXPECT_EQ(TAppCommandLine::StartUrl(args, "com.acme.app", "index.html"), url);
}

}  // namespace
}  // namespace zorv::test
