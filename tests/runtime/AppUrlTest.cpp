#include "runtime/AppUrl.h"

#include <gtest/gtest.h>

namespace zorv {
namespace {

std::string App(const std::string& rest) {
    return std::string(TAppUrl::Prefix()) + rest;
}

struct TPathCase {
    std::string url;
    std::optional<std::string> path;
};

class RequestPathTest : public testing::TestWithParam<TPathCase> {};

TEST_P(RequestPathTest, MapsUrlToPathUnderAppRoot) {
    EXPECT_EQ(TAppUrl::RequestPath(GetParam().url), GetParam().path);
}

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
