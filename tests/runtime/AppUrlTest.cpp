#include "runtime/AppUrl.h"

#include <gtest/gtest.h>

namespace zorv {
namespace {

std::string App(const std::string& rest) { return std::string(TAppUrl::Prefix()) + rest; }

struct TPathCase {
    std::string url;
    std::optional<std::string> path;
};

class RequestPathTest : public testing::TestWithParam<TPathCase> {};

TEST_P(RequestPathTest, MapsUrlToPathUnderAppRoot) { EXPECT_EQ(TAppUrl::RequestPath(GetParam().url), GetParam().path); }

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestPathTest,
    testing::Values(TPathCase{App("index.html"), "index.html"}, TPathCase{App("css/site.css"), "css/site.css"},
                    TPathCase{App("My%20Page.html"), "My Page.html"},
                    // Browsers always escape non-ASCII names; the file is found under its real name.
                    TPathCase{App("caf%C3%A9.html"), "caf\xC3\xA9.html"},
                    // Cache-busting queries and fragments do not hide the file.
                    TPathCase{App("index.html?v=2"), "index.html"}, TPathCase{App("page.html#top"), "page.html"},
                    TPathCase{App("bad%00name"), std::nullopt}, TPathCase{App("50%"), "50%"},
                    TPathCase{"https://example.com/index.html", std::nullopt},
                    TPathCase{"data:text/html,hi", std::nullopt}));

TEST(AppUrlTest, LegacyPathDecodesOnlySpacesAndKeepsQuery) {
    EXPECT_EQ(TAppUrl::LegacyRequestPath(App("caf%C3%A9%20x.html?v=2")), "caf%C3%A9 x.html?v=2");
}

TEST(AppUrlTest, StartPageIsInsertedAsItStands) {
    EXPECT_EQ(TAppUrl::StartPageUrl("sub/start page.html?x=1"), App("sub/start page.html?x=1"));
}

TEST(AppUrlTest, AppAndFileUrlsAreRecognisedInAnyLetterCase) {
    EXPECT_TRUE(TAppUrl::IsFileUrl("FILE:///x"));
    EXPECT_FALSE(TAppUrl::IsFileUrl("https://x"));
    std::string upper(TAppUrl::Prefix());
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(TAppUrl::IsAppUrl(upper + "index.html"));
    EXPECT_FALSE(TAppUrl::IsAppUrl("https://app/index.html"));
}

// "https" is a space of its own on Windows only; every other value keeps the platform's default.
TEST(AppUrlTest, UrlSpaceSettingChoosesThePrefix) {
    const bool windows = TAppUrl::Prefix() == TAppUrl::FileUrlPrefix;
    const std::string_view https = windows ? TAppUrl::HttpsPrefix : TAppUrl::Prefix();
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", TAppUrl::Prefix()},
        {"file", TAppUrl::Prefix()},
        {"https", https},
        {"HTTPS", https},
        {"http", TAppUrl::Prefix()},
        {"https ", TAppUrl::Prefix()},
        {"zorv", TAppUrl::Prefix()},
    };
    for (const auto& [setting, prefix] : cases) EXPECT_EQ(TAppUrl::PrefixForSetting(setting), prefix) << setting;
    for (std::string_view known : {"", "file", "File", "https", "HTTPS"}) EXPECT_TRUE(TAppUrl::IsKnownSetting(known));
    for (std::string_view unknown : {"http", "files", "https:", " file"})
        EXPECT_FALSE(TAppUrl::IsKnownSetting(unknown));
}

TEST(AppUrlTest, HttpsSpaceReadsPathsAsTheFileSpaceDoes) {
    const std::string_view https = TAppUrl::HttpsPrefix;
    EXPECT_EQ(TAppUrl::StartPageUrl("index.html", https), "https://app.localhost/index.html");
    EXPECT_EQ(TAppUrl::RequestPath("https://app.localhost/sub/My%20Page.html?x=1#y", https), "sub/My Page.html");
    EXPECT_EQ(TAppUrl::LegacyRequestPath("https://APP.LOCALHOST/a%20b.html?v=2", https), "a b.html?v=2");
    EXPECT_EQ(TAppUrl::RequestPath("https://app.localhost.example.com/x", https), std::nullopt);
    EXPECT_EQ(TAppUrl::RequestPath("file:///index.html", https), std::nullopt);
    EXPECT_EQ(TAppUrl::Origin(https), "https://app.localhost");
    EXPECT_EQ(TAppUrl::Origin(TAppUrl::FileUrlPrefix), "null");
    EXPECT_EQ(TAppUrl::Origin(TAppUrl::CustomPrefix), "zorv://app");
}

#ifndef _WIN32
TEST(AppUrlTest, FileUrlsMapOntoTheAppScheme) {
    EXPECT_EQ(TAppUrl::ToAppUrl("file:///help.html"), "zorv://app/help.html");
    EXPECT_EQ(TAppUrl::ToAppUrl("FILE:///help.html?x=1"), "zorv://app/help.html?x=1");
    EXPECT_EQ(TAppUrl::ToAppUrl("file://localhost/home/me/a.html"), "zorv://app/home/me/a.html");
    EXPECT_EQ(TAppUrl::ToAppUrl("file:/home/me/a.html"), "zorv://app/home/me/a.html");
    EXPECT_EQ(TAppUrl::ToAppUrl("zorv://app/x.html"), "zorv://app/x.html");
    EXPECT_EQ(TAppUrl::ToAppUrl("https://example.com/"), "https://example.com/");
}
#endif

}  // namespace
}  // namespace zorv
