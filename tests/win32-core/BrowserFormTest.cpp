#include <gtest/gtest.h>

#include <memory>

#include "FakeWebView2.h"
#include "TestArchive.h"
#include "backends/win32/BrowserForm.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinUiThread.h"
#include "bridge/ZorvExternalJavascript.h"
#include "runtime/DocumentStartScript.h"

namespace zorv::test {
namespace {

class BrowserFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        archive = OpenTestArchive();
        environment = MakeFake<TFakeEnvironment>();
    }

    // A page host set up as the main window sets it up, with its web view created.
    void CreateForm(HRESULT environmentResult = S_OK) {
        form = std::make_unique<TBrowserForm>(uiThread, FactoryFor(environment, environmentResult));
        form->SetStartInstance([this](const std::string& arguments) { startedInstances.push_back(arguments); });
        form->SetParent(window.Handle());
        form->SetExeZip(archive.get());
        form->SetIsRuntime(true);
        form->SetAppDirName("app");
        form->SetAppDirPath(DataDir() + "disk\\");
        form->SetHandleRequests(true);
        form->SetRuntimeAppID("zorv-test-app");
        form->SetWithExternal(true);
        form->SetAllowDebug(true);
        form->SetWebviewJavascript(extraScript);
        form->SetStartPageURL("file:///index.html");
        if (SUCCEEDED(environmentResult))
            ASSERT_TRUE(PumpUntil([this] { return !WebView().navigations.empty(); }));
        else
            PumpUntil([] { return false; }, 200);
    }

    TFakeWebView& WebView() { return *environment->controller->webView.Get(); }

    // The web view starts loading `uri` as its top document; answers whether the page host let it.
    bool Load(const std::wstring& uri) {
        auto starting = MakeFake<TFakeNavigationStartingArgs>(uri);
        WebView()
            .events.Handler<ICoreWebView2NavigationStartingEventHandler>("NavigationStarting")
            ->Invoke(&WebView(), starting.Get());
        if (starting->cancel) return false;
        WebView().source = uri;
        auto loading = MakeFake<TFakeContentLoadingArgs>();
        WebView()
            .events.Handler<ICoreWebView2ContentLoadingEventHandler>("ContentLoading")
            ->Invoke(&WebView(), loading.Get());
        return true;
    }
    COREWEBVIEW2_PERMISSION_STATE AskPermission(const std::wstring& uri) {
        auto permission = MakeFake<TFakePermissionArgs>(uri);
        WebView()
            .events.Handler<ICoreWebView2PermissionRequestedEventHandler>("PermissionRequested")
            ->Invoke(&WebView(), permission.Get());
        return permission->state;
    }

    TComPtr<TFakeResourceRequestedArgs> Request(const std::wstring& uri) {
        auto args = MakeFake<TFakeResourceRequestedArgs>(uri);
        auto* handler = WebView().events.Handler<ICoreWebView2WebResourceRequestedEventHandler>("WebResourceRequested");
        EXPECT_NE(handler, nullptr);
        if (handler) handler->Invoke(&WebView(), args.Get());
        return args;
    }

    TWinUiThread uiThread;
    TTestWindow window{500, 400};
    std::unique_ptr<TAbZipKit> archive;
    TComPtr<TFakeEnvironment> environment;
    std::unique_ptr<TBrowserForm> form;
    std::string extraScript = "  window.extra = 1;\n";
    std::vector<std::string> startedInstances;
};

TEST_F(BrowserFormTest, ReadyWebViewGetsScriptSettingsFilterAndStartPage) {
    CreateForm();
    const std::string expectedScript = std::string("\r") + std::string(ZorvExternalJavascript()) + "\r" +
                                       std::string(TDocumentStartScript::DragOverGuard) + "\r" +
                                       std::string(TDocumentStartScript::DropGuard) + "\r" + extraScript;
    ASSERT_EQ(WebView().documentScripts.size(), 1u);
    EXPECT_EQ(TWinText::WideToUtf8(WebView().documentScripts[0]), expectedScript);
    const std::vector<std::pair<std::string, BOOL>> expectedSettings{{"IsScriptEnabled", TRUE},
                                                                     {"IsStatusBarEnabled", FALSE},
                                                                     {"IsZoomControlEnabled", FALSE},
                                                                     {"IsWebMessageEnabled", TRUE},
                                                                     {"IsBuiltInErrorPageEnabled", TRUE},
                                                                     {"AreDevToolsEnabled", TRUE},
                                                                     {"AreDefaultContextMenusEnabled", FALSE}};
    EXPECT_EQ(WebView().settings->puts, expectedSettings);
    EXPECT_EQ(WebView().filters,
              (std::vector<std::pair<std::wstring, int>>{{L"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL}}));
    EXPECT_EQ(WebView().navigations, std::vector<std::wstring>{L"file:///index.html"});
    EXPECT_TRUE(form->ProgressBarVisible());
}

TEST_F(BrowserFormTest, BlankExtraScriptIsLeftOut) {
    extraScript = " \r\n\t ";
    CreateForm();
    const std::string script = TWinText::WideToUtf8(WebView().documentScripts.at(0));
    EXPECT_TRUE(script.ends_with(std::string("\r") + std::string(TDocumentStartScript::DropGuard)));
}

TEST_F(BrowserFormTest, FailedCreationInjectsNothingAndKeepsTheBarRunning) {
    CreateForm(E_FAIL);
    EXPECT_TRUE(WebView().documentScripts.empty());
    EXPECT_TRUE(WebView().navigations.empty());
    EXPECT_TRUE(form->ProgressBarVisible());
}

TEST_F(BrowserFormTest, FileRequestsAreAnsweredFromArchiveThenDisk) {
    // A file with an absolute path, outside both the archive and the executable's folder.
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::string absolute = TWinText::WideToUtf8(temp) + "zorv-absolute-test.css";
    ASSERT_TRUE(WriteFileBytes(absolute, "absolute"));
    std::string absoluteUrl = "file:///" + absolute;
    for (char& c : absoluteUrl)
        if (c == '\\') c = '/';

    CreateForm();
    struct TCase {
        std::string url;
        std::string content;
        std::string contentType;
    };
    const TCase cases[] = {
        {"file:///index.html", "<html>archive index</html>", "text/html"},
        {"file:///My%20Page.html", "my page", "text/html"},
        {"file:///CSS/Site.CSS", "body{}", "text/css"},
        {"FILE:///both.txt", "from archive", "text/plain"},
        {"file:///only-disk.txt", "disk only", "text/plain"},
        {absoluteUrl, "absolute", "text/css"},
    };
    for (const TCase& c : cases) {
        auto args = Request(TWinText::Utf8ToWide(c.url));
        ASSERT_NE(args->Response(), nullptr) << c.url;
        EXPECT_EQ(args->Response()->status, 200) << c.url;
        EXPECT_EQ(args->Response()->reason, L"OK") << c.url;
        EXPECT_EQ(args->Response()->content, c.content) << c.url;
        EXPECT_EQ(TWinText::WideToUtf8(args->Response()->headers),
                  "Content-Type: " + c.contentType + "; charset=utf-8\r\nAccept-Ranges: bytes")
            << c.url;
    }
    ::DeleteFileW(TWinText::Utf8ToWide(absolute).c_str());
}

TEST_F(BrowserFormTest, RequestsOutsideTheArchiveAndDiskAreLeftToTheWebView) {
    CreateForm();
    for (const wchar_t* url : {L"file:///missing.html", L"https://example.com/index.html", L"data:text/plain,hi",
                               L"file:///caf%C3%A9-missing.html"})
        EXPECT_EQ(Request(url)->Response(), nullptr) << TWinText::WideToUtf8(url);
    form->SetHandleRequests(false);
    EXPECT_EQ(Request(L"file:///index.html")->Response(), nullptr);
}

TEST_F(BrowserFormTest, NewWindowsOnFileUrlsStartAnotherInstance) {
    CreateForm();
    ASSERT_TRUE(Load(L"file:///index.html"));
    auto* handler = WebView().events.Handler<ICoreWebView2NewWindowRequestedEventHandler>("NewWindowRequested");
    ASSERT_NE(handler, nullptr);
    auto fileWindow = MakeFake<TFakeNewWindowArgs>(L"file:///help.html");
    handler->Invoke(&WebView(), fileWindow.Get());
    EXPECT_TRUE(fileWindow->handled);
    EXPECT_EQ(startedInstances, std::vector<std::string>{"\"zorv-test-app\" \"file:///help.html\""});

    // A project folder being run: the new instance serves the same folder.
    form->SetRelaunchOptions({"--project", "C:\\My Project", "--no-reload", "--"});
    handler->Invoke(&WebView(), MakeFake<TFakeNewWindowArgs>(L"file:///help.html").Get());
    ASSERT_EQ(startedInstances.size(), 2u);
    EXPECT_EQ(startedInstances[1],
              "\"--project\" \"C:\\My Project\" \"--no-reload\" \"--\" \"zorv-test-app\" \"file:///help.html\"");
    startedInstances.pop_back();

    auto webWindow = MakeFake<TFakeNewWindowArgs>(L"https://example.com/");
    handler->Invoke(&WebView(), webWindow.Get());
    EXPECT_FALSE(webWindow->handled);
    EXPECT_EQ(startedInstances.size(), 1u);

    form->SetIsRuntime(false);
    auto notRuntime = MakeFake<TFakeNewWindowArgs>(L"file:///help.html");
    handler->Invoke(&WebView(), notRuntime.Get());
    EXPECT_FALSE(notRuntime->handled);
}

// Only what the archive answered acts as the application: a page from disk or the web gets no
// permission, opens no instance or window, and cannot lead the window back into the app URL space.
class BrowserFormTrustTest : public BrowserFormTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(BrowserFormTrustTest, DocumentsTheArchiveDidNotAnswerAreNotTheApplication) {
    CreateForm();
    auto* newWindow = WebView().events.Handler<ICoreWebView2NewWindowRequestedEventHandler>("NewWindowRequested");
    ASSERT_NE(newWindow, nullptr);
    EXPECT_EQ(AskPermission(L"file:///index.html"), COREWEBVIEW2_PERMISSION_STATE_DENY) << "nothing loaded yet";
    ASSERT_TRUE(Load(L"file:///index.html"));
    EXPECT_EQ(AskPermission(L"file:///index.html"), COREWEBVIEW2_PERMISSION_STATE_ALLOW);
    EXPECT_EQ(AskPermission(L"https://example.com/"), COREWEBVIEW2_PERMISSION_STATE_DENY) << "a remote frame";
    EXPECT_TRUE(Load(L"file:///My%20Page.html")) << "the app goes where it likes";
    ASSERT_TRUE(Load(GetParam()));
    EXPECT_EQ(AskPermission(L"file:///index.html"), COREWEBVIEW2_PERMISSION_STATE_DENY);
    for (const wchar_t* target : {L"file:///help.html", L"https://example.org/"}) {
        auto window = MakeFake<TFakeNewWindowArgs>(target);
        newWindow->Invoke(&WebView(), window.Get());
        EXPECT_TRUE(window->handled) << "no window of the web view's own either";
    }
    EXPECT_TRUE(startedInstances.empty());
    EXPECT_FALSE(Load(L"file:///index.html"));
}

INSTANTIATE_TEST_SUITE_P(Outside, BrowserFormTrustTest,
                         ::testing::Values(L"file:///only-disk.txt", L"https://example.com/"));

TEST_F(BrowserFormTest, PermissionsAreGrantedAndNavigationHidesTheBar) {
    CreateForm();
    ASSERT_TRUE(Load(L"file:///index.html"));
    EXPECT_EQ(AskPermission(L"file:///index.html"), COREWEBVIEW2_PERMISSION_STATE_ALLOW);

    // Hidden whatever the outcome of the navigation.
    auto completed = MakeFake<TFakeNavigationCompletedArgs>();
    WebView()
        .events.Handler<ICoreWebView2NavigationCompletedEventHandler>("NavigationCompleted")
        ->Invoke(&WebView(), completed.Get());
    EXPECT_FALSE(form->ProgressBarVisible());
}

}  // namespace
}  // namespace zorv::test
