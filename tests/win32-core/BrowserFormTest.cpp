#include <gtest/gtest.h>

#include <memory>

#include "FakeWebView2.h"
#include "TestArchive.h"
#include "archive/AppPackage.h"
#include "backends/win32/BrowserForm.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinUiThread.h"
#include "bridge/ZorvExternalJavascript.h"
#include "runtime/DocumentStartScript.h"
#include "shared/FailureSink.h"

namespace zorv::test {
namespace {

class BrowserFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        package = std::make_unique<TArchivePackage>(OpenTestArchive());
        environment = MakeFake<TFakeEnvironment>();
        previousReceiver = TFailureSink::SetReceiver(
            [this](std::string_view text, const TSourcePlace&) { failures.emplace_back(text); });
    }
    void TearDown() override { TFailureSink::SetReceiver(previousReceiver); }

    // A page host set up as the main window sets it up, with its web view created.
    void CreateForm(HRESULT environmentResult = S_OK) {
        form = std::make_unique<TBrowserForm>(uiThread, FactoryFor(environment, environmentResult));
        form->SetStartInstance([this](const std::string& arguments) { startedInstances.push_back(arguments); });
        form->SetParent(window.Handle());
        form->SetOptions(Options());
        if (SUCCEEDED(environmentResult))
            ASSERT_TRUE(PumpUntil([this] { return !WebView().navigations.empty(); }));
        else
            PumpUntil([] { return false; }, 200);
    }

    TFakeWebView& WebView() { return *environment->controller->webView.Get(); }
    TPageHostOptions Options() const {
        TPageHostOptions options;
        options.package = package.get();
        options.appID = "zorv-test-app";
        options.appDirName = "app";
        options.appDirPath = DataDir() + "disk\\";
        options.startUrl = startPage;
        options.allowDebug = true;
        options.urlPrefix = urlPrefix;
        options.extraScript = extraScript;
        return options;
    }

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
    TComPtr<TFakePermissionArgs> AskPermissionOf(const std::wstring& uri, bool laterInterfaces = true) {
        auto permission = MakeFake<TFakePermissionArgs>(uri, laterInterfaces);
        WebView()
            .events.Handler<ICoreWebView2PermissionRequestedEventHandler>("PermissionRequested")
            ->Invoke(&WebView(), permission.Get());
        return permission;
    }
    COREWEBVIEW2_PERMISSION_STATE AskPermission(const std::wstring& uri) { return AskPermissionOf(uri)->state; }

    TComPtr<TFakeResourceRequestedArgs> Request(const std::wstring& uri,
                                                std::map<std::wstring, std::wstring> headers = {}) {
        auto args = MakeFake<TFakeResourceRequestedArgs>(uri, std::move(headers));
        auto* handler = WebView().events.Handler<ICoreWebView2WebResourceRequestedEventHandler>("WebResourceRequested");
        EXPECT_NE(handler, nullptr);
        if (handler) handler->Invoke(&WebView(), args.Get());
        return args;
    }

    TWinUiThread uiThread;
    TTestWindow window{500, 400};
    std::unique_ptr<TArchivePackage> package;
    TComPtr<TFakeEnvironment> environment;
    std::unique_ptr<TBrowserForm> form;
    std::string extraScript = "  window.extra = 1;\n";
    std::string startPage = "file:///index.html";
    std::string_view urlPrefix = TAppUrl::FileUrlPrefix;
    std::vector<std::string> startedInstances;
    std::vector<std::string> failures;  // what went to the failure sink
    TFailureSink::TReceiver previousReceiver;
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
    // Every source: frames of other origins, sandboxed frames and workers too.
    EXPECT_EQ(WebView().sourceKindFilters, (std::vector<std::tuple<std::wstring, int, UINT32>>{
                                               {L"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL, 0xFFFFFFFFu}}));
    EXPECT_TRUE(WebView().filters.empty());
    EXPECT_TRUE(failures.empty());
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
        bool fromDisk = false;
    };
    const TCase cases[] = {
        {"file:///index.html", "<html>archive index</html>", "text/html"},
        {"file:///My%20Page.html", "my page", "text/html"},
        {"file:///CSS/Site.CSS", "body{}", "text/css"},
        {"FILE:///both.txt", "from archive", "text/plain"},
        {"file:///only-disk.txt", "disk only", "text/plain", true},
        {absoluteUrl, "absolute", "text/css", true},
    };
    for (const TCase& c : cases) {
        auto args = Request(TWinText::Utf8ToWide(c.url));
        ASSERT_NE(args->Response(), nullptr) << c.url;
        EXPECT_EQ(args->Response()->status, 200) << c.url;
        EXPECT_EQ(args->Response()->reason, L"OK") << c.url;
        EXPECT_EQ(args->Response()->content, c.content) << c.url;
        // What the disk answered is sandboxed: it never acts as the application.
        EXPECT_EQ(TWinText::WideToUtf8(args->Response()->headers),
                  "Content-Type: " + c.contentType + "; charset=utf-8\r\nAccept-Ranges: bytes" +
                      (c.fromDisk ? "\r\nContent-Security-Policy: sandbox" : ""))
            << c.url;
    }
    ::DeleteFileW(TWinText::Utf8ToWide(absolute).c_str());
}

TEST_F(BrowserFormTest, RequestsOutsideTheArchiveAndDiskAreLeftToTheWebView) {
    CreateForm();
    for (const wchar_t* url : {L"file:///missing.html", L"https://example.com/index.html", L"data:text/plain,hi",
                               L"file:///caf%C3%A9-missing.html"})
        EXPECT_EQ(Request(url)->Response(), nullptr) << TWinText::WideToUtf8(url);
}

TEST_F(BrowserFormTest, NewWindowsOnFileUrlsStartAnotherInstance) {
    CreateForm();
    ASSERT_TRUE(Load(L"file:///index.html"));
    auto* handler = WebView().events.Handler<ICoreWebView2NewWindowRequestedEventHandler>("NewWindowRequested");
    ASSERT_NE(handler, nullptr);
    auto fileWindow = MakeFake<TFakeNewWindowArgs>(L"file:///help.html");
    handler->Invoke(&WebView(), fileWindow.Get());
    EXPECT_TRUE(fileWindow->handled);
    EXPECT_TRUE(startedInstances.empty()) << "started inside the event";
    ASSERT_TRUE(PumpUntil([this] { return !startedInstances.empty(); })) << "started once the event returned";
    EXPECT_EQ(startedInstances, std::vector<std::string>{"\"zorv-test-app\" \"file:///help.html\""});

    // A project folder being run: the new instance serves the same folder.
    TPageHostOptions folderOptions = Options();
    folderOptions.relaunchOptions = {"--project", "C:\\My Project", "--no-reload", "--"};
    form->SetOptions(folderOptions);
    handler->Invoke(&WebView(), MakeFake<TFakeNewWindowArgs>(L"file:///help.html").Get());
    ASSERT_TRUE(PumpUntil([this] { return startedInstances.size() == 2; }));
    EXPECT_EQ(startedInstances[1],
              "\"--project\" \"C:\\My Project\" \"--no-reload\" \"--\" \"zorv-test-app\" \"file:///help.html\"");
    startedInstances.pop_back();

    auto webWindow = MakeFake<TFakeNewWindowArgs>(L"https://example.com/");
    handler->Invoke(&WebView(), webWindow.Get());
    EXPECT_FALSE(webWindow->handled);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(startedInstances.size(), 1u);
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
    PumpUntil([] { return false; }, 100);
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

// The runtime's own start navigation is recognised in the canonical form the engine reports it in,
// so a start page is never refused as if a page had asked for it, whatever its name.
TEST_F(BrowserFormTest, StartPageWhateverItsNameIsTheRuntimesOwnNavigation) {
    const std::pair<std::string, std::wstring> cases[] = {
        {"file:///My Page.html", L"file:///My%20Page.html"},
        {"file:///./My Page.html", L"file:///My%20Page.html"},
        {"FILE:///css\\site.css", L"file:///css/site.css"},
        {"file:///sub/../index.html", L"file:///index.html"},
    };
    for (const auto& [asked, reported] : cases) {
        startPage = asked;
        CreateForm();
        EXPECT_TRUE(Load(reported)) << asked;
        EXPECT_TRUE(form->AppDocumentOnTop()) << asked;
        form.reset();
        environment = MakeFake<TFakeEnvironment>();
    }
}

// Every header the resolver gives an answer reaches the web view, for the archive and the disk;
// under the https origin, also the header with which the browser refuses documents of other
// origins the application's pages as frames, whatever they hide of where they come from.
TEST_F(BrowserFormTest, AnswersCarryEveryHeaderOfTheResolver) {
    for (std::string_view prefix : {TAppUrl::FileUrlPrefix, TAppUrl::HttpsPrefix}) {
        urlPrefix = prefix;
        CreateForm();
        for (std::string name : {"index.html", "both.txt", "only-disk.txt"}) {
            const std::string url = std::string(prefix) + name;
            std::string expected;
            for (const auto& [header, value] : form->Resolver().FindUrl(url).Headers())
                expected += (expected.empty() ? "" : "\r\n") + header + ": " + value;
            if (prefix == TAppUrl::HttpsPrefix) expected += "\r\nContent-Security-Policy: frame-ancestors 'self'";
            auto args = Request(TWinText::Utf8ToWide(url));
            ASSERT_NE(args->Response(), nullptr) << url;
            EXPECT_EQ(TWinText::WideToUtf8(args->Response()->headers), expected) << url;
        }
        form.reset();
        environment = MakeFake<TFakeEnvironment>();
    }
}

// A request that names another origin as its maker (Origin, else Referer) gets no content: a web
// page cannot frame or read app URLs, nor, under the https origin, a sandboxed page.
TEST_F(BrowserFormTest, RequestsMadeByAnotherOriginGetNoContent) {
    struct TCase {
        std::string_view prefix;
        std::map<std::wstring, std::wstring> headers;
        bool answered;
    };
    const TCase cases[] = {
        {TAppUrl::FileUrlPrefix, {}, true},
        {TAppUrl::FileUrlPrefix, {{L"Origin", L"null"}}, true},
        {TAppUrl::FileUrlPrefix, {{L"Referer", L"file:///index.html"}}, true},
        {TAppUrl::FileUrlPrefix, {{L"Origin", L"https://evil.example"}}, false},
        {TAppUrl::FileUrlPrefix, {{L"Referer", L"https://evil.example/page.html"}}, false},
        {TAppUrl::FileUrlPrefix, {{L"Referer", L"file://server/share/page.html"}}, false},
        {TAppUrl::HttpsPrefix, {}, true},
        {TAppUrl::HttpsPrefix, {{L"Origin", L"https://app.localhost"}}, true},
        {TAppUrl::HttpsPrefix, {{L"Referer", L"https://app.localhost/index.html"}}, true},
        {TAppUrl::HttpsPrefix, {{L"Origin", L"null"}}, false},
        {TAppUrl::HttpsPrefix, {{L"Origin", L"https://evil.example"}, {L"Referer", L"https://app.localhost/"}}, false},
        {TAppUrl::HttpsPrefix, {{L"Referer", L"https://app.localhost.evil.example/"}}, false},
    };
    for (const TCase& c : cases) {
        urlPrefix = c.prefix;
        CreateForm();
        const std::wstring url = TWinText::Utf8ToWide(std::string(c.prefix) + "index.html");
        auto args = Request(url, c.headers);
        ASSERT_NE(args->Response(), nullptr);
        const std::string what = std::string(c.prefix) + " " + std::to_string(c.headers.size()) + " header(s)";
        EXPECT_EQ(args->Response()->status, c.answered ? 200 : 403) << what;
        EXPECT_EQ(args->Response()->content.empty(), !c.answered) << what;
        form.reset();
        environment = MakeFake<TFakeEnvironment>();
    }
}

// Under the https origin file: URLs are not the application's: the web view reads them as any
// file: URL, a new window on one is the web view's own, and they get no permission.
TEST_F(BrowserFormTest, FileUrlsUnderTheHttpsOriginAreNotTheApplications) {
    urlPrefix = TAppUrl::HttpsPrefix;
    startPage = "https://app.localhost/index.html";
    CreateForm();
    ASSERT_TRUE(Load(L"https://app.localhost/index.html"));
    EXPECT_EQ(Request(L"file:///index.html")->Response(), nullptr);
    EXPECT_EQ(AskPermission(L"file:///index.html"), COREWEBVIEW2_PERMISSION_STATE_DENY);
    auto window = MakeFake<TFakeNewWindowArgs>(L"file:///help.html");
    WebView()
        .events.Handler<ICoreWebView2NewWindowRequestedEventHandler>("NewWindowRequested")
        ->Invoke(&WebView(), window.Get());
    EXPECT_FALSE(window->handled);
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(startedInstances.empty());
}

// Permissions go to the application's origin, compared as an origin, and WebView2 is told not to
// keep the decision for later requests of that origin.
TEST_F(BrowserFormTest, PermissionsAreDecidedForEachRequestByOrigin) {
    struct TCase {
        std::string_view prefix;
        std::wstring uri;
        bool allowed;
    };
    const TCase cases[] = {
        {TAppUrl::HttpsPrefix, L"https://app.localhost/index.html", true},
        {TAppUrl::HttpsPrefix, L"https://app.localhost", true},
        {TAppUrl::HttpsPrefix, L"https://APP.localhost:443/sub/page.html", true},
        {TAppUrl::HttpsPrefix, L"https://app.localhost.evil.example/", false},
        {TAppUrl::HttpsPrefix, L"https://evil.example/https://app.localhost/", false},
        {TAppUrl::HttpsPrefix, L"https://app.localhost:8443/", false},
        {TAppUrl::FileUrlPrefix, L"file:///index.html", true},
        {TAppUrl::FileUrlPrefix, L"file:///", true},
        {TAppUrl::FileUrlPrefix, L"file://server/share/page.html", false},
    };
    for (const TCase& c : cases) {
        urlPrefix = c.prefix;
        startPage = std::string(c.prefix) + "index.html";
        CreateForm();
        ASSERT_TRUE(Load(TWinText::Utf8ToWide(startPage)));
        auto permission = AskPermissionOf(c.uri);
        EXPECT_EQ(permission->state,
                  c.allowed ? COREWEBVIEW2_PERMISSION_STATE_ALLOW : COREWEBVIEW2_PERMISSION_STATE_DENY)
            << TWinText::WideToUtf8(c.uri);
        EXPECT_EQ(permission->savesInProfile, FALSE) << TWinText::WideToUtf8(c.uri);
        form.reset();
        environment = MakeFake<TFakeEnvironment>();
    }
    EXPECT_TRUE(failures.empty());
}

// A runtime older than the later interfaces still works, and says once what it lacks.
TEST_F(BrowserFormTest, OlderRuntimeKeepsThePageFilterAndPermissionsAndSaysSoOnce) {
    environment->controller->webView->laterInterfaces = false;
    CreateForm();
    EXPECT_EQ(WebView().filters,
              (std::vector<std::pair<std::wstring, int>>{{L"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL}}));
    EXPECT_TRUE(WebView().sourceKindFilters.empty());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("ICoreWebView2_22"), std::string::npos) << failures[0];
    ASSERT_TRUE(Load(L"file:///index.html"));
    EXPECT_EQ(AskPermissionOf(L"file:///index.html", false)->state, COREWEBVIEW2_PERMISSION_STATE_ALLOW);
    EXPECT_EQ(AskPermissionOf(L"https://example.com/", false)->state, COREWEBVIEW2_PERMISSION_STATE_DENY);
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_NE(failures[1].find("SavesInProfile"), std::string::npos) << failures[1];
}

// Before runtime 92 downloads cannot be handed over: the browser keeps them, and the runtime says
// so once.
TEST_F(BrowserFormTest, RuntimeWithoutDownloadEventsKeepsItsOwnDownloadsAndSaysSo) {
    environment->controller->webView->downloadEvents = false;
    CreateForm();
    std::size_t said = 0;
    for (const std::string& failure : failures) said += failure.find("ICoreWebView2_4") != std::string::npos;
    EXPECT_EQ(said, 1u);
}

}  // namespace
}  // namespace zorv::test
