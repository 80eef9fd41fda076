#include "runtime/AppContentGate.h"

#include <gtest/gtest.h>

#include "runtime/AppUrl.h"
#include "support/InfoZipArchive.h"

namespace zorv {
namespace {

using test::TScratchFolder;

class AppContentGateTest : public testing::Test {
protected:
    void SetUp() override {
        if (!test::InfoZipAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
        zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
        zip.LoadFromMemory(
            test::ZipWithInfoZip({{"app/index.html", "app"}, {"app/help.html", "help"}}, ZORV_ARCHIVE_PASSWORD));
        exeDir.Write("beside.html", "from disk");
    }
    static std::string App(const std::string& rest) { return std::string(TAppUrl::Prefix()) + rest; }
    TAppContentGate Gate() const {
        return TAppContentGate(TAppDocuments(TResourceResolver(&zip, "app", exeDir.Text())));
    }

    static constexpr const char* Remote = "http://127.0.0.1:8080/page.html";
    TAbZipKit zip;
    TScratchFolder exeDir;
};

TEST_F(AppContentGateTest, StartPageThenItsResources) {
    TAppContentGate gate = Gate();
    EXPECT_FALSE(gate.MayRequest(App("index.html"), std::nullopt)) << "nothing asked for yet";
    EXPECT_TRUE(gate.MayNavigate(App("index.html#top"), TNavigationCause::Host));
    EXPECT_TRUE(gate.MayRequest(App("index.html"), std::nullopt));
    EXPECT_FALSE(gate.MayRequest(App("style.css"), std::nullopt)) << "only the permitted navigation before commit";
    gate.DocumentCommitted(App("index.html"));
    EXPECT_TRUE(gate.TopIsAppDocument());
    EXPECT_TRUE(gate.MayRequest(App("style.css"), std::nullopt));
    EXPECT_TRUE(gate.MayRequest(App("home/me/pic.png"), std::string(TAppUrl::Origin())));
    EXPECT_TRUE(gate.MayNavigate(App("help.html"), TNavigationCause::Page));
    EXPECT_TRUE(gate.MayNavigate(Remote, TNavigationCause::Page));
}

// Requests that name another document as their maker are refused even under an app page: a
// remote frame inside the application cannot probe the scheme either.
TEST_F(AppContentGateTest, RequestsMadeByOtherOriginsAreRefused) {
    TAppContentGate gate = Gate();
    gate.MayNavigate(App("index.html"), TNavigationCause::Host);
    gate.DocumentCommitted(App("index.html"));
    for (const char* origin : {"http://127.0.0.1:8080", "null", "https://example.com", ""})
        EXPECT_FALSE(gate.MayRequest(App("etc/passwd"), std::string_view(origin))) << origin;
}

// The chain of the attack: a remote page in the window frames or opens app URLs.
TEST_F(AppContentGateTest, RemoteTopDocumentCannotReachTheAppUrlSpace) {
    TAppContentGate gate = Gate();
    gate.MayNavigate(App("index.html"), TNavigationCause::Host);
    gate.DocumentCommitted(App("index.html"));
    EXPECT_TRUE(gate.MayNavigate(Remote, TNavigationCause::Page));
    gate.DocumentCommitted(Remote);
    EXPECT_FALSE(gate.TopIsAppDocument());
    EXPECT_FALSE(gate.MayRequest(App("tmp/download.html"), std::nullopt));
    EXPECT_FALSE(gate.MayRequest(App("etc/passwd"), std::nullopt));
    EXPECT_FALSE(gate.MayRequest(App("index.html"), std::nullopt));
    EXPECT_FALSE(gate.MayNavigate(App("index.html"), TNavigationCause::Page));
    EXPECT_FALSE(gate.MayRequest(App("index.html"), std::nullopt));
    // Going back to the application is the user's history, not the page's choice of URL.
    EXPECT_TRUE(gate.MayNavigate(App("index.html"), TNavigationCause::History));
    EXPECT_TRUE(gate.MayRequest(App("index.html"), std::nullopt));
    EXPECT_FALSE(gate.MayRequest(App("etc/passwd"), std::nullopt));
    gate.DocumentCommitted(App("index.html"));
    EXPECT_TRUE(gate.TopIsAppDocument());
}

TEST_F(AppContentGateTest, PageServedFromDiskIsNotTheApplication) {
    TAppContentGate gate = Gate();
    gate.MayNavigate(App("beside.html"), TNavigationCause::Host);
    gate.DocumentCommitted(App("beside.html"));
    EXPECT_FALSE(gate.TopIsAppDocument());
    EXPECT_FALSE(gate.MayRequest(App("index.html"), std::nullopt));
    EXPECT_FALSE(gate.MayNavigate(App("index.html"), TNavigationCause::Page));
}

TEST(AppContentGateOrigin, OriginOfUrls) {
    const std::pair<const char*, const char*> cases[] = {
        {"zorv://app/index.html", "zorv://app"},
        {"HTTP://127.0.0.1:8080/a?b#c", "http://127.0.0.1:8080"},
        {"https://example.com", "https://example.com"},
        {"about:blank", "null"},
        {"", "null"},
    };
    for (const auto& [url, origin] : cases) EXPECT_EQ(TAppContentGate::OriginOf(url), origin) << url;
}

}  // namespace
}  // namespace zorv
