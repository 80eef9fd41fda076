#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "FakeWebView2.h"
#include "TestArchive.h"
#include "archive/AppPackage.h"
#include "backends/win32/BrowserForm.h"
#include "backends/win32/MainForm.h"
#include "backends/win32/SysUtils.h"
#include "backends/win32/WinOperatingSystem.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinUiThread.h"
#include "backends/win32/WinWindowFactory.h"
#include "runtime/AppSession.h"
#include "runtime/RuntimeState.h"

namespace zorv::test {
namespace {

// The session's state is filled in by the test; start-up itself never runs.
class TUnusedStartupHost final : public IStartupHost {
public:
    TResult<std::unique_ptr<IByteSource>> OpenAppendedArchive() override { return std::unique_ptr<IByteSource>(); }
    void ShowStartupMessage(const TStartupMessage&) override {}
    void ShowFatalError(const std::string&, const std::string&) override {}
    std::string LocalAppDataDir() override { return {}; }
    bool AskPassword(const std::string&, const std::string&) override { return false; }
    TInstanceLockResult AcquireInstanceLock(const std::string&, const std::string&) override { return {}; }
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override { environment = MakeFake<TFakeEnvironment>(); }

    // A main window of the session over the test archive with these extra settings and
    // arguments, its web view created and its start page asked for.
    void CreateForm(const std::string& extraSettings = "", std::vector<std::string> args = {},
                    HRESULT environmentResult = S_OK) {
        TBridgeServices services;
        services.operatingSystem = std::make_shared<TWinOperatingSystem>();
        session = std::make_unique<TAppSession>(startupHost, std::move(args), services);
        TRuntimeState& state = session->Startup().State();
        state.package = std::make_unique<TArchivePackage>(OpenTestArchive());
        state.projectIni.SetText("[App]\nID=zorv-test-app\nName=Zorv Test\nDirName=app\n" + extraSettings);
        state.settings = TProjectSettings::Read(state.projectIni);  // as start-up reads them
        state.appID = "zorv-test-app";
        state.appName = "Zorv Test";
        state.appDirName = "app";
        state.appIndexHtml = "index.html";
        factory = std::make_unique<TWinWindowFactory>(uiThread, nullptr, FactoryFor(environment, environmentResult));
        ASSERT_TRUE(session->OpenWindow(*factory));
        form = static_cast<TMainForm*>(session->Window());
        ASSERT_NE(form->Handle(), nullptr);
        if (SUCCEEDED(environmentResult))
            ASSERT_TRUE(PumpUntil([this] { return !WebView().navigations.empty(); }));
        else
            PumpUntil([] { return false; }, 150);
    }

    void TearDown() override {
        session.reset();
        form = nullptr;
    }

    TFakeWebView& WebView() { return *environment->controller->webView.Get(); }
    // The start page is there and has the bridge.
    void ShowApplicationPage() {
        WebView().source = L"file:///index.html";
        WebView().scriptResults[L"typeof window.zorv"] = L"\"object\"";
        auto loading = MakeFake<TFakeContentLoadingArgs>();
        WebView()
            .events.Handler<ICoreWebView2ContentLoadingEventHandler>("ContentLoading")
            ->Invoke(&WebView(), loading.Get());
        CompleteNavigation(true);
    }
    void CompleteNavigation(bool success) {
        TComPtr<TFakeNavigationCompletedArgs> args =
            TComPtr<TFakeNavigationCompletedArgs>::Attach(new TFakeNavigationCompletedArgs(success));
        WebView()
            .events.Handler<ICoreWebView2NavigationCompletedEventHandler>("NavigationCompleted")
            ->Invoke(&WebView(), args.Get());
    }
    LONG_PTR Style() const { return ::GetWindowLongPtrW(form->Handle(), GWL_STYLE); }
    LONG_PTR ExStyle() const { return ::GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE); }
    RECT Bounds() const {
        RECT bounds{};
        ::GetWindowRect(form->Handle(), &bounds);
        return bounds;
    }

    TWinUiThread uiThread;
    TComPtr<TFakeEnvironment> environment;
    TUnusedStartupHost startupHost;
    std::unique_ptr<TWinWindowFactory> factory;
    std::unique_ptr<TAppSession> session;
    TMainForm* form = nullptr;
};

TEST_F(MainFormTest, WithoutSettingsTheWindowIsTheDefaultResizableCentredOne) {
    CreateForm();
    const RECT bounds = Bounds();
    EXPECT_EQ(bounds.right - bounds.left, 800);
    EXPECT_EQ(bounds.bottom - bounds.top, 600);
    RECT workArea{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const POINT centred = TMainForm::CentredPosition(workArea, 800, 600);
    EXPECT_EQ(bounds.left, centred.x);
    EXPECT_EQ(bounds.top, centred.y);
    EXPECT_EQ(Style() & (WS_CAPTION | WS_THICKFRAME), WS_CAPTION | WS_THICKFRAME);
    EXPECT_EQ(ExStyle() & WS_EX_TOPMOST, 0);
    EXPECT_EQ(form->GetCaption(), "Zorv Test");
    EXPECT_EQ(form->GetBorderStyle(), TBorderStyle::Sizeable);
    EXPECT_FALSE(session->Bridge()->InFullscreen());
    EXPECT_EQ(WebView().navigations.at(0), L"file:///index.html");
    EXPECT_EQ(form->BrowserForm()->Options().extraScript, "  window.extra = 1;\n");
}

TEST_F(MainFormTest, SettingsChooseBorderStateStackingAndFullScreen) {
    struct TCase {
        const char* settings;
        TBorderStyle border;
        TWindowState state;
        bool topmost;
        bool fullScreen;
    };
    const TCase cases[] = {
        {"WindowStyle=1\nWindowBorder=3\nWindowState=0\n", TBorderStyle::None, TWindowState::Maximized, false, true},
        {"WindowState=1\n", TBorderStyle::Sizeable, TWindowState::Maximized, false, false},
        {"WindowState=2\n", TBorderStyle::Sizeable, TWindowState::Normal, false, false},
        {"WindowOrder=1\n", TBorderStyle::Sizeable, TWindowState::Normal, true, false},
        {"WindowOrder=2\n", TBorderStyle::Sizeable, TWindowState::Normal, false, false},
        {"WindowBorder=4\n", TBorderStyle::ToolWindow, TWindowState::Normal, false, false},
        {"WindowBorder=0\n", TBorderStyle::None, TWindowState::Normal, false, false},
    };
    for (const TCase& c : cases) {
        SetUp();
        CreateForm(c.settings);
        form->Show();
        EXPECT_EQ(form->GetBorderStyle(), c.border) << c.settings;
        EXPECT_EQ(form->GetWindowState(), c.state) << c.settings;
        EXPECT_EQ((ExStyle() & WS_EX_TOPMOST) != 0, c.topmost) << c.settings;
        EXPECT_EQ(session->Bridge()->InFullscreen(), c.fullScreen) << c.settings;
        EXPECT_EQ(static_cast<DWORD>(Style()) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME),
                  TMainForm::StyleOf(c.border) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME))
            << c.settings;
        TearDown();
    }
}

TEST_F(MainFormTest, BorderStateAndStackingChangeTheLiveWindowAndKeepThePage) {
    CreateForm();
    form->Show();
    HWND window = form->Handle();
    for (TBorderStyle border : {TBorderStyle::None, TBorderStyle::Single, TBorderStyle::Dialog,
                                TBorderStyle::ToolWindow, TBorderStyle::SizeToolWin, TBorderStyle::Sizeable}) {
        form->SetBorderStyle(border);
        EXPECT_EQ(static_cast<DWORD>(Style()) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME),
                  TMainForm::StyleOf(border) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME));
        EXPECT_EQ((ExStyle() & WS_EX_TOOLWINDOW) != 0,
                  border == TBorderStyle::ToolWindow || border == TBorderStyle::SizeToolWin);
    }
    form->SetFormStyle(TFormStyle::StayOnTop);
    EXPECT_NE(ExStyle() & WS_EX_TOPMOST, 0);
    form->SetFormStyle(TFormStyle::Normal);
    EXPECT_EQ(ExStyle() & WS_EX_TOPMOST, 0);
    form->SetWindowState(TWindowState::Maximized);
    EXPECT_EQ(form->GetWindowState(), TWindowState::Maximized);
    form->SetWindowState(TWindowState::Normal);
    EXPECT_EQ(form->GetWindowState(), TWindowState::Normal);
    EXPECT_EQ(form->Handle(), window);
    EXPECT_EQ(environment->controllersRequested, 1);
    EXPECT_FALSE(environment->controller->closed);
}

TEST_F(MainFormTest, OnlyTheExactRelaunchArgumentsChooseTheStartUrl) {
    struct TCase {
        std::vector<std::string> args;
        const wchar_t* url;
    };
    const TCase cases[] = {
        {{"zorv-test-app", "file:///page2.html"}, L"file:///page2.html"},
        {{"ZORV-TEST-APP", "file:///page2.html"}, L"file:///index.html"},
        {{"zorv-test-app"}, L"file:///index.html"},
        {{"zorv-test-app", "file:///page2.html", "x"}, L"file:///index.html"},
    };
    for (const TCase& c : cases) {
        SetUp();
        CreateForm("", c.args);
        EXPECT_EQ(WebView().navigations.at(0), c.url);
        TearDown();
    }
}

TEST_F(MainFormTest, WindowClosesOnlyAfterThePageCallsAppClose) {
    CreateForm();
    ShowApplicationPage();
    ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(form->Handle()));
    EXPECT_EQ(WebView().executedScripts,
              (std::vector<std::wstring>{L"typeof window.zorv", L"zorv.events.onCloseQuery();"}));
    ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(form->Handle()));

    HWND window = form->Handle();
    form->AppCloseRequest();
    ASSERT_TRUE(PumpUntil([window] { return !::IsWindow(window); }));
    EXPECT_EQ(form->BrowserForm(), nullptr);
    EXPECT_EQ(session->Bridge(), nullptr);
    EXPECT_TRUE(environment->controller->closed);
}

TEST_F(MainFormTest, WindowWithoutAnApplicationPageClosesAtOnce) {
    CreateForm("", {}, E_FAIL);
    HWND window = form->Handle();
    ::SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(window));
}

// The browser's error page (a missing file) and its PDF viewer keep the file:/// URL but run no
// script: the page is never asked, or asked in vain, and the window closes.
TEST_F(MainFormTest, WindowShowingAPageWithoutTheBridgeClosesWhenAsked) {
    struct TCase {
        const char* name;
        bool navigationSucceeded;
        const wchar_t* probeAnswer;
    };
    const TCase cases[] = {{"error page", false, L"\"object\""},
                           {"pdf viewer", true, L"null"},
                           {"page without the bridge", true, L"\"undefined\""}};
    for (const TCase& c : cases) {
        SetUp();
        CreateForm();
        ShowApplicationPage();
        WebView().scriptResults[L"typeof window.zorv"] = c.probeAnswer;
        CompleteNavigation(c.navigationSucceeded);
        HWND window = form->Handle();
        ::SendMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(PumpUntil([window] { return !::IsWindow(window); }, 2000)) << c.name;
        EXPECT_EQ(std::count(WebView().executedScripts.begin(), WebView().executedScripts.end(),
                             L"zorv.events.onCloseQuery();"),
                  0)
            << c.name;
        TearDown();
    }
}

TEST_F(MainFormTest, PageHiddenWhileMinimisedShowsAgainHoweverTheWindowIsRestored) {
    CreateForm();
    form->Show();
    TFakeController& controller = *environment->controller.Get();
    ::SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(controller.visible);
    form->SetWindowState(TWindowState::Normal);  // window.setState, not the system menu
    EXPECT_TRUE(controller.visible);
    form->SetWindowState(TWindowState::Minimized);
    EXPECT_FALSE(controller.visible);
    form->SetWindowState(TWindowState::Maximized);
    EXPECT_TRUE(controller.visible);
}

TEST_F(MainFormTest, CaptionFollowsThePageTitleOnlyWhenAsked) {
    for (bool dynamic : {false, true}) {
        SetUp();
        CreateForm(dynamic ? "DynamicAppTitle=1\n" : "");
        WebView().title = L"";
        WebView()
            .events.Handler<ICoreWebView2DocumentTitleChangedEventHandler>("DocumentTitleChanged")
            ->Invoke(&WebView(), nullptr);
        EXPECT_EQ(form->GetCaption(), dynamic ? "" : "Zorv Test");
        TearDown();
    }
}

TEST_F(MainFormTest, SizeLimitsBoundTrackingAndMaximising) {
    CreateForm("MaxWidth=900\nMaxHeight=700\nMinWidth=300\nMinHeight=200\n");
    MINMAXINFO info{};
    info.ptMaxSize = {1024, 768};
    info.ptMaxTrackSize = {2000, 2000};
    ::SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxTrackSize.x, 900);
    EXPECT_EQ(info.ptMaxTrackSize.y, 700);
    EXPECT_EQ(info.ptMaxSize.x, 900);
    EXPECT_EQ(info.ptMaxSize.y, 700);
    EXPECT_EQ(info.ptMinTrackSize.x, 300);
    EXPECT_EQ(info.ptMinTrackSize.y, 200);
}

}  // namespace
}  // namespace zorv::test
