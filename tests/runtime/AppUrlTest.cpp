#include "runtime/AppUrl.h"

#include <gtest/gtest.h>

namespace zorv::test {
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

struct TCanonicalCase {
    std::string url;
    std::string canonical;
};

class CanonicalUrlTest : public testing::TestWithParam<TCanonicalCase> {};

// The engines' own form, and a fixed point: what is already canonical stays as it is.
TEST_P(CanonicalUrlTest, IsTheFormEnginesReport) {
    EXPECT_EQ(TAppUrl::Canonical(GetParam().url), GetParam().canonical);
    EXPECT_EQ(TAppUrl::Canonical(GetParam().canonical), GetParam().canonical);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CanonicalUrlTest,
    testing::Values(
        // Blanks, non-ASCII (as UTF-8 escapes), backslashes, dot segments.
        TCanonicalCase{"zorv://app/My Page.html", "zorv://app/My%20Page.html"},
        TCanonicalCase{"zorv://app/Über.html", "zorv://app/%C3%9Cber.html"},
        TCanonicalCase{"zorv://app/pages\\start.html", "zorv://app/pages/start.html"},
        TCanonicalCase{"zorv://app/./start.html", "zorv://app/start.html"},
        TCanonicalCase{"zorv://app/a b/c d.html", "zorv://app/a%20b/c%20d.html"},
        TCanonicalCase{"zorv://app/a\"<b>`{c}.html", "zorv://app/a%22%3Cb%3E%60%7Bc%7D.html"},
        TCanonicalCase{"file:///sub/../x/./y.html", "file:///x/y.html"}, TCanonicalCase{"file:///a/b/..", "file:///a/"},
        TCanonicalCase{"file:///a/b/.", "file:///a/b/"},
        TCanonicalCase{"https://app.localhost/../../x.html", "https://app.localhost/x.html"},
        TCanonicalCase{"file:///a/%2e%2E/b/.%2e/c", "file:///c"},
        TCanonicalCase{"file:///C:/..\\..\\x.html", "file:///C:/x.html"},
        TCanonicalCase{"file:///c|/x.html", "file:///C:/x.html"},
        // Escapes already there: kept, unreserved ones decoded, hex digits in upper case.
        TCanonicalCase{"file:///My%20Page.html", "file:///My%20Page.html"},
        TCanonicalCase{"zorv://app/caf%c3%a9.html", "zorv://app/caf%C3%A9.html"},
        TCanonicalCase{"zorv://app/%41b%7e.html", "zorv://app/Ab~.html"},
        TCanonicalCase{"zorv://app/a%2Fb%25.html", "zorv://app/a%2Fb%25.html"},
        TCanonicalCase{"zorv://app/50%.html", "zorv://app/50%.html"},
        // Query and fragment: escaped where they must be, otherwise as written.
        TCanonicalCase{"zorv://app/p.html?q=a b&x=\xC3\xBC#top part", "zorv://app/p.html?q=a%20b&x=%C3%BC#top%20part"},
        TCanonicalCase{"https://app.localhost/p.html?a=../b\\c%41#x/../y",
                       "https://app.localhost/p.html?a=../b\\c%41#x/../y"},
        TCanonicalCase{"https://app.localhost/p?it's", "https://app.localhost/p?it%27s"},
        TCanonicalCase{"zorv://app/p?it's", "zorv://app/p?it's"},
        TCanonicalCase{"zorv://app/p.html#a?b", "zorv://app/p.html#a?b"},
        // Letter case of scheme and host (not of the path), default ports, localhost in file:.
        TCanonicalCase{"HTTPS://APP.LocalHost:443/Index.html", "https://app.localhost/Index.html"},
        TCanonicalCase{"https://app.localhost", "https://app.localhost/"},
        TCanonicalCase{"https://app.localhost:08443/x", "https://app.localhost:8443/x"},
        TCanonicalCase{"ZORV://APP/Index.html", "zorv://app/Index.html"},
        TCanonicalCase{"FILE://LOCALHOST/x.html", "file:///x.html"}, TCanonicalCase{"file:/x.html", "file:///x.html"},
        TCanonicalCase{"file://server/share/x.html", "file://server/share/x.html"},
        // Blanks around the address and line breaks in it are not part of it.
        TCanonicalCase{" https://app.localhost/a\tb.html\n", "https://app.localhost/ab.html"},
        // Addresses without a path of their own, and text that is no URL.
        TCanonicalCase{"DATA:text/html,a b", "data:text/html,a b"}, TCanonicalCase{"about:blank", "about:blank"},
        TCanonicalCase{"index.html", "index.html"}));

// The start page is the file the setting names, in every app URL space, whatever its name.
TEST(AppUrlTest, StartPageIsTheUrlOfTheFileTheSettingNames) {
    struct TCase {
        std::string setting, path, rest;
    };
    const TCase cases[] = {
        {"index.html", "index.html", "index.html"},
        {"My Page.html", "My Page.html", "My%20Page.html"},
        {"Über.html", "Über.html", "%C3%9Cber.html"},
        {"pages\\start.html", "pages/start.html", "pages/start.html"},
        {"./start.html", "start.html", "start.html"},
        {"a b/c d.html", "a b/c d.html", "a%20b/c%20d.html"},
        {"sub/start page.html?x=1 2", "sub/start page.html", "sub/start%20page.html?x=1%202"},
    };
    for (std::string_view prefix : {TAppUrl::CustomPrefix, TAppUrl::FileUrlPrefix, TAppUrl::HttpsPrefix}) {
        for (const TCase& c : cases) {
            const std::string url = TAppUrl::StartPageUrl(c.setting, prefix);
            EXPECT_EQ(url, std::string(prefix) + c.rest) << c.setting;
            EXPECT_EQ(TAppUrl::RequestPath(url, prefix), c.path) << url;
        }
    }
}

TEST(AppUrlTest, OriginsAreParsedNotMatchedAsText) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"https://app.localhost/index.html", "https://app.localhost"},
        {"HTTPS://App.Localhost:443", "https://app.localhost"},
        {"https://app.localhost:8443/", "https://app.localhost:8443"},
        {"https://app.localhost.evil.example/", "https://app.localhost.evil.example"},
        {"https://app.localhost@evil.example/", "https://evil.example"},
        {"https://evil.example/https://app.localhost/", "https://evil.example"},
        {"blob:https://app.localhost/0b5e", "https://app.localhost"},
        {"zorv://app/index.html", "zorv://app"},
        {"HTTP://127.0.0.1:8080/a?b#c", "http://127.0.0.1:8080"},
        {"https://example.com", "https://example.com"},
        {"file:///C:/x.html", "file://"},
        {"FILE://localhost/y.html", "file://"},
        {"data:text/html,x", "null"},
        {"about:blank", "null"},
        {"null", "null"},
        {"", "null"},
    };
    for (const auto& [url, origin] : cases) EXPECT_EQ(TAppUrl::OriginOf(url), origin) << url;
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
}  // namespace zorv::test
