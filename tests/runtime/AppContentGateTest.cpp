#include "runtime/AppContentGate.h"

#include <gtest/gtest.h>

#include "archive/AppPackage.h"

#include "runtime/AppUrl.h"
#include "support/InfoZipArchive.h"

namespace zorv::test {
namespace {

class AppContentGateTest : public testing::Test {
protected:
    void SetUp() override {
        if (!InfoZipAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
        zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
        zip.LoadFromMemory(
            ZipWithInfoZip({{"app/index.html", "app"}, {"app/help.html", "help"}}, ZORV_ARCHIVE_PASSWORD));
        exeDir.Write("beside.html", "from disk");
    }
    static std::string App(const std::string& rest) { return std::string(TAppUrl::Prefix()) + rest; }
    TAppContentGate Gate() const {
        return TAppContentGate(TAppDocuments(TResourceResolver(&package, "app", exeDir.Text())));
    }

    static constexpr const char* Remote = "http://127.0.0.1:8080/page.html";
    TAbZipKit zip;
    TArchivePackage package{zip};
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

// Engines report whether a gesture is behind a request, not which frame made it: the gate gives
// it to the document the user's last gesture went to, so a click into a third-party frame
// inside an application page is that frame's.
class AppContentGateGestureTest : public AppContentGateTest {
protected:
    void SetUp() override {
        AppContentGateTest::SetUp();
        if (!IsSkipped()) OpenAppPage();
    }
    void OpenAppPage() {
        gate.emplace(Gate());
        gate->MayNavigate(App("index.html"), TNavigationCause::Host);
        gate->DocumentCommitted(App("index.html"));
    }
    // A gesture in the app page or in a remote frame, `ago` before `now`.
    void GestureIn(bool inApplication, TAppContentGate::TClock::duration ago = {}) {
        if (inApplication)
            gate->UserActivated(App("index.html"), TAppUrl::Origin(), now - ago);
        else
            gate->UserActivated("http://127.0.0.1:8080/widget.html", "http://127.0.0.1:8080", now - ago);
    }

    std::optional<TAppContentGate> gate;
    const TAppContentGate::TClock::time_point now = TAppContentGate::TClock::now();
    static constexpr auto Long = std::chrono::seconds(60);
};

TEST_F(AppContentGateGestureTest, NewWindows) {
    enum class TLast { None, App, Frame, AppLongAgo, FrameLongAgo };
    struct TCase {
        TLast last;
        const char* url;
        bool userGesture;
        TNewWindowAction expected;
    };
    const std::string appUrl = App("page.html");
    const TCase cases[] = {
        // A gesture the engine reports with the request, given to the last document clicked.
        {TLast::App, appUrl.c_str(), true, TNewWindowAction::StartInstance},
        {TLast::App, "file:///page.html", true, TNewWindowAction::StartInstance},
        {TLast::App, Remote, true, TNewWindowAction::OpenInBrowser},
        {TLast::Frame, appUrl.c_str(), true, TNewWindowAction::Refuse},
        {TLast::Frame, "file:///etc/hostname", true, TNewWindowAction::Refuse},
        {TLast::Frame, Remote, true, TNewWindowAction::OpenInBrowser},
        {TLast::None, appUrl.c_str(), true, TNewWindowAction::Refuse},
        {TLast::App, "data:text/html,x", true, TNewWindowAction::Refuse},
        // No gesture reported: one within the span counts (a window opened after an await).
        {TLast::App, appUrl.c_str(), false, TNewWindowAction::StartInstance},
        {TLast::Frame, Remote, false, TNewWindowAction::OpenInBrowser},
        {TLast::Frame, appUrl.c_str(), false, TNewWindowAction::Refuse},
        {TLast::AppLongAgo, appUrl.c_str(), false, TNewWindowAction::Refuse},
        {TLast::FrameLongAgo, Remote, false, TNewWindowAction::Refuse},
        {TLast::None, Remote, false, TNewWindowAction::Refuse},
    };
    for (const TCase& c : cases) {
        OpenAppPage();
        if (c.last != TLast::None)
            GestureIn(c.last == TLast::App || c.last == TLast::AppLongAgo,
                      c.last == TLast::AppLongAgo || c.last == TLast::FrameLongAgo ? Long : decltype(Long){});
        EXPECT_EQ(gate->NewWindowAction(c.url, c.userGesture, now), c.expected)
            << c.url << " gesture " << c.userGesture << " last " << static_cast<int>(c.last);
    }
}

TEST_F(AppContentGateGestureTest, TheTopStaysTheApplications) {
    // The application's own navigation, scripted or clicked.
    EXPECT_EQ(gate->TopNavigationAction(Remote, false, now), TLeaveAction::Load);
    GestureIn(true);
    EXPECT_EQ(gate->TopNavigationAction(Remote, true, now), TLeaveAction::Load);
    // A third-party frame moving the top after a click into it, in the same task or later.
    GestureIn(false);
    EXPECT_EQ(gate->TopNavigationAction(Remote, true, now), TLeaveAction::OpenInBrowser);
    EXPECT_EQ(gate->TopNavigationAction(Remote, false, now), TLeaveAction::OpenInBrowser);
    EXPECT_EQ(gate->TopNavigationAction("ftp://127.0.0.1/x", false, now), TLeaveAction::Refuse);
    EXPECT_EQ(gate->TopNavigationAction(App("help.html"), true, now), TLeaveAction::Load);
    // Long after that click, a navigation without a gesture is the application's again.
    EXPECT_EQ(gate->TopNavigationAction(Remote, false, now + Long), TLeaveAction::Load);
    // Under a page that is not the application there is nothing to keep.
    gate->DocumentCommitted(Remote);
    EXPECT_EQ(gate->TopNavigationAction("http://127.0.0.1:8080/other.html", true, now), TLeaveAction::Load);
}

TEST_F(AppContentGateGestureTest, Downloads) {
    const std::string appBlob = "blob:" + std::string(TAppUrl::Origin()) + "/6a1c1f4e-0000-4000-8000-000000000000";
    // The application's own URLs, however they came.
    EXPECT_TRUE(gate->MayDownload(App("data.bin"), true, false, now));
    EXPECT_EQ(gate->MayDownload(appBlob, false, false, now), TAppUrl::Origin() != "null");
    // A frame's navigation to an attachment: never the application's.
    GestureIn(true);
    EXPECT_FALSE(gate->MayDownload("http://127.0.0.1:8080/attachment", true, false, now));
    // The top's own navigation, and a link's download right after a gesture in the application.
    EXPECT_TRUE(gate->MayDownload("http://127.0.0.1:8080/attachment", false, true, now));
    EXPECT_TRUE(gate->MayDownload("data:application/octet-stream,x", false, false, now));
    EXPECT_FALSE(gate->MayDownload("data:application/octet-stream,x", false, false, now + Long));
    GestureIn(false);
    EXPECT_FALSE(gate->MayDownload("data:application/octet-stream,x", false, false, now));
    gate->DocumentCommitted(Remote);
    EXPECT_FALSE(gate->MayDownload(App("data.bin"), false, false, now));
}

TEST_F(AppContentGateGestureTest, Permissions) {
    EXPECT_TRUE(gate->MayGrantPermission(false, now)) << "the app asks on load";
    EXPECT_FALSE(gate->MayGrantPermission(true, now)) << "the clipboard takes a gesture";
    GestureIn(true);
    EXPECT_TRUE(gate->MayGrantPermission(true, now));
    GestureIn(false);
    EXPECT_FALSE(gate->MayGrantPermission(true, now));
    EXPECT_FALSE(gate->MayGrantPermission(false, now)) << "just after a click into another frame";
    EXPECT_TRUE(gate->MayGrantPermission(false, now + Long));
    gate->DocumentCommitted(Remote);
    EXPECT_FALSE(gate->MayGrantPermission(false, now + Long));
}

}  // namespace
}  // namespace zorv::test
