#include "backends/win32/BrowserForm.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <optional>
#include <string>
#include <utility>

#include "backends/win32/DownloadHandler.h"
#include "backends/win32/ResponseBody.h"
#include "backends/win32/SysUtils.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinUiThread.h"
#include "bridge/ZorvExternalJavascript.h"
#include "runtime/AppUrl.h"
#include "runtime/DocumentStartScript.h"
#include "runtime/ResourceResolver.h"
#include "shared/ExeUtils.h"
#include "shared/FailureSink.h"

namespace zorv {

namespace {
constexpr wchar_t WindowClassName[] = L"ZorvBrowserForm";
constexpr int ProgressBarHeight = 4;
constexpr wchar_t PageFailedText[] =
    L"The page stopped working and could not be loaded again. Close the application and start it again.";

bool EndsThePage(COREWEBVIEW2_PROCESS_FAILED_KIND kind) {
    return kind == COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED ||
           kind == COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED ||
           kind == COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE;
}

void RegisterFormClass(WNDPROC proc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = WindowClassName;
    ::RegisterClassExW(&windowClass);
}

// The bridge script as the executable carries it (RCDATA ZORV_EXTERNAL_JAVASCRIPT), given the
// function table; builds without the resource, such as the tests, use the copy compiled into the
// bridge.
std::string_view CarriedBridgeScript() {
    HMODULE module = ::GetModuleHandleW(nullptr);
    if (HRSRC resource = ::FindResourceW(module, L"ZORV_EXTERNAL_JAVASCRIPT", MAKEINTRESOURCEW(10))) {
        HGLOBAL loaded = ::LoadResource(module, resource);
        const void* data = loaded ? ::LockResource(loaded) : nullptr;
        if (data) return {static_cast<const char*>(data), ::SizeofResource(module, resource)};
    }
    return {};
}

std::string_view BridgeScript() {
    static const std::string script = [] {
        const std::string_view carried = CarriedBridgeScript();
        return carried.empty() ? std::string(ZorvExternalJavascript()) : WithPageFunctionTable(carried);
    }();
    return script;
}

// The value of a request header, or nothing when the request has none.
std::optional<std::string> RequestHeader(ICoreWebView2HttpRequestHeaders* headers, const wchar_t* name) {
    TCoTaskString value;
    if (!headers || FAILED(headers->GetHeader(name, value.Put())) || !value) return std::nullopt;
    return TWinText::WideToUtf8(value.Get());
}

// The answer to a resource request: the body (none for a null stream), the status and the header
// lines.
void PutResponse(ICoreWebView2Environment* environment, ICoreWebView2WebResourceRequestedEventArgs* args, IStream* body,
                 int status, const std::string& reason, const std::string& headers) {
    TComPtr<ICoreWebView2WebResourceResponse> response;
    if (SUCCEEDED(environment->CreateWebResourceResponse(body, status, TWinText::Utf8ToWide(reason).c_str(),
                                                         TWinText::Utf8ToWide(headers).c_str(), response.Put())) &&
        response)
        args->put_Response(response.Get());
}

// Starts the running executable again with CreateProcessW (not the shell: no prompt about the
// file's origin for every new window).
void StartOwnExecutable(const std::string& arguments) {
    if (TSysUtils::StartProcess(TWinText::Utf8ToWide(TExeUtils::RunningExePath()), TWinText::Utf8ToWide(arguments)))
        return;
    TFailureSink::Report("the new window's instance could not be started: " +
                         TWinText::WideToUtf8(TSysUtils::SysErrorMessage(::GetLastError()).c_str()));
}

std::string ReadString(HRESULT (STDMETHODCALLTYPE ICoreWebView2WebMessageReceivedEventArgs::*getter)(LPWSTR*),
                       ICoreWebView2WebMessageReceivedEventArgs* args, bool* ok = nullptr) {
    TCoTaskString text;
    const HRESULT result = (args->*getter)(text.Put());
    if (ok) *ok = SUCCEEDED(result) && text;
    return TWinText::WideToUtf8(text.Get());
}
// The way back to the document that posted a message: WebView2 posts to the top document only,
// so a reply is posted while that document is still the one loaded, and dropped afterwards.
class TDocumentReply final : public IWebMessageReply {
public:
    TDocumentReply(TEdgeBrowser& edge, std::weak_ptr<const std::uint64_t> generation, std::uint64_t document)
        : FEdge(edge), FGeneration(std::move(generation)), FDocument(document) {}

    void PostJson(const std::string& json) override {
        const auto generation = FGeneration.lock();  // gone with the page host and its web view
        if (!generation || *generation != FDocument || FAnswered) return;
        FAnswered = true;
        FEdge.PostWebMessageAsJson(json);
    }

private:
    TEdgeBrowser& FEdge;
    std::weak_ptr<const std::uint64_t> FGeneration;
    std::uint64_t FDocument;
    bool FAnswered = false;
};

}  // namespace

TBrowserForm::TBrowserForm(TWinUiThread& uiThread, TEdgeBrowser::TEnvironmentFactory environmentFactory)
    : FUiThread(uiThread),
      FEdgeBrowser(std::make_unique<TEdgeBrowser>(uiThread, std::move(environmentFactory))),
      FStartInstance(&StartOwnExecutable) {
    TEdgeBrowser& edge = *FEdgeBrowser;
    edge.OnProcessFailed = [this](TEdgeBrowser&, COREWEBVIEW2_PROCESS_FAILED_KIND kind) {
        EdgeBrowserProcessFailed(kind);
    };
    edge.OnNewWindowRequested = [this](TEdgeBrowser& s, TNewWindowRequestedEventArgs& a) {
        EdgeBrowserNewWindowRequested(s, a);
    };
    edge.OnCreateWebViewCompleted = [this](TEdgeBrowser& s, HRESULT r) { EdgeBrowserCreateWebViewCompleted(s, r); };
    edge.OnWebResourceRequested = [this](TEdgeBrowser& s, TWebResourceRequestedEventArgs& a) {
        EdgeBrowserWebResourceRequested(s, a);
    };
    edge.OnNavigationCompleted = [this](TEdgeBrowser& s, bool ok, COREWEBVIEW2_WEB_ERROR_STATUS st) {
        EdgeBrowserNavigationCompleted(s, ok, st);
    };
    edge.OnWebMessageReceived = [this](TEdgeBrowser& s, TWebMessageReceivedEventArgs& a) {
        EdgeBrowserWebMessageReceived(s, a);
    };
    edge.OnPermissionRequested = [this](TEdgeBrowser& s, TPermissionRequestedEventArgs& a) {
        EdgeBrowserPermissionRequested(s, a);
    };
    edge.OnNavigationStarting = [this](TEdgeBrowser& s, TNavigationStartingEventArgs& a) {
        EdgeBrowserNavigationStarting(s, a);
    };
    edge.OnContentLoading = [this](TEdgeBrowser& s, bool, uint64_t) { EdgeBrowserContentLoading(s); };
    edge.OnDownloadStarting = [this](TEdgeBrowser&, TDownloadStartingEventArgs& a) {
        TDownloadHandler::Decide(FUiThread, a.ArgsInterface(), AppDocumentOnTop());
    };
}

TBrowserForm::~TBrowserForm() {
    FLifetime.Expire();
    FEdgeBrowser.reset();  // closes the web view before the window goes
    if (FWindow) ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
}

void TBrowserForm::SetParent(HWND parent) {
    if (!parent || FWindow) return;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    RegisterFormClass(&TBrowserForm::WindowProc);
    RECT client{};
    ::GetClientRect(parent, &client);
    FWindow.Reset(::CreateWindowExW(WS_EX_CONTROLPARENT, WindowClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                    0, 0, client.right, client.bottom, parent, nullptr, ::GetModuleHandleW(nullptr),
                                    nullptr));
    ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FProgressBar = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_MARQUEE, 0, 0, 0,
                                     ProgressBarHeight, FWindow.Get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(FProgressBar, PBM_SETMARQUEE, TRUE, 0);
    FEdgeBrowser->SetParent(FWindow.Get());
    LayOut();
}

void TBrowserForm::SetBounds(const RECT& bounds) {
    if (FWindow)
        ::MoveWindow(FWindow.Get(), bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                     TRUE);
}

void TBrowserForm::SetVisible(bool visible) {
    if (FWindow) ::ShowWindow(FWindow.Get(), visible ? SW_SHOW : SW_HIDE);
}

bool TBrowserForm::ProgressBarVisible() const {
    // Its own visibility, whether or not the window it sits in is shown.
    return FProgressBar && (::GetWindowLongPtrW(FProgressBar, GWL_STYLE) & WS_VISIBLE) != 0;
}

LRESULT CALLBACK TBrowserForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        if (auto* self = reinterpret_cast<TBrowserForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) self->LayOut();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The bar sits along the bottom edge while it shows; the web view takes the rest.
void TBrowserForm::LayOut() {
    if (!FWindow) return;
    RECT client{};
    ::GetClientRect(FWindow.Get(), &client);
    RECT browser = client;
    if (ProgressBarVisible()) {
        browser.bottom = std::max(client.top, client.bottom - ProgressBarHeight);
        ::MoveWindow(FProgressBar, 0, browser.bottom, client.right, client.bottom - browser.bottom, TRUE);
    }
    FEdgeBrowser->SetBounds(browser);
}

TResourceResolver TBrowserForm::Resolver() const {
    TResourceResolver resolver(FOptions.package, FOptions.appDirName, FOptions.appDirPath, FOptions.urlPrefix);
    resolver.SetIndexPage(FOptions.appIndexHtml);
    return resolver;
}

std::string TBrowserForm::DocumentStartScript() const {
    return TDocumentStartScript::Compose(BridgeScript(), FOptions.extraScript);
}

void TBrowserForm::ReloadPage() { ReloadTopDocument(); }

bool TBrowserForm::ReloadTopDocument() {
    ICoreWebView2* view = FEdgeBrowser->DefaultInterface();
    if (!view) return false;
    FHostNavigation = TAppUrl::Canonical(FEdgeBrowser->LocationURL());
    if (SUCCEEDED(view->Reload())) return true;
    FHostNavigation.clear();
    return false;
}

std::string TBrowserForm::NewInstanceArguments(const std::vector<std::string>& options, const std::string& appID,
                                               const std::string& url) {
    std::string text;
    for (const std::string& option : options) text += "\"" + option + "\" ";
    return text + "\"" + appID + "\" \"" + url + "\"";
}

TWebMessage TBrowserForm::ToWebMessage(ICoreWebView2WebMessageReceivedEventArgs* args) const {
    TWebMessage message;
    bool isString = false;
    std::string text = ReadString(&ICoreWebView2WebMessageReceivedEventArgs::TryGetWebMessageAsString, args, &isString);
    if (isString) message.asString = std::move(text);
    message.asJson = ReadString(&ICoreWebView2WebMessageReceivedEventArgs::get_WebMessageAsJson, args);
    message.sourceUrl = ReadString(&ICoreWebView2WebMessageReceivedEventArgs::get_Source, args);
    message.reply = std::make_shared<TDocumentReply>(*FEdgeBrowser, FDocumentGeneration, *FDocumentGeneration);
    return message;
}

void TBrowserForm::EdgeBrowserCreateWebViewCompleted(TEdgeBrowser& sender, HRESULT result) {
    if (FAILED(result) || !sender.DefaultInterface()) return;
    sender.DefaultInterface()->AddScriptToExecuteOnDocumentCreated(TWinText::Utf8ToWide(DocumentStartScript()).c_str(),
                                                                   nullptr);
    ApplySettings();
    // Every request of the app URL space is the page host's to answer, those of frames of other
    // origins, sandboxed frames and workers included; older runtimes show it only the page's and
    // its same-origin frames' (the others would reach the disk or the network themselves).
    if (!sender.AddWebResourceRequestedFilterForAllSources("*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL)) {
        TFailureSink::Report(
            "this WebView2 runtime cannot filter requests by their source (ICoreWebView2_22, version 122 and "
            "later): requests of workers and of frames of other origins are not answered by the application");
        sender.AddWebResourceRequestedFilter("*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
    }
    FGate.emplace(TAppDocuments(Resolver()));
    if (FOptions.startUrl.empty()) return;
    FHostNavigation = TAppUrl::Canonical(FOptions.startUrl);
    sender.Navigate(FOptions.startUrl);
}

void TBrowserForm::EdgeBrowserProcessFailed(COREWEBVIEW2_PROCESS_FAILED_KIND kind) {
    if (!EndsThePage(kind)) return;
    ++FPageProcessFailures;
    TFailureSink::Report("the web view's process failed (kind " + std::to_string(static_cast<int>(kind)) + ")" +
                         (FPageProcessFailures == 1 ? ", the page is loaded again" : ", shown to the user"));
    // From the message loop: WebView2 does not support re-entry from inside its event handlers.
    if (FPageProcessFailures == 1) {
        // A web view whose browser process is gone takes no reload: that is the second failure.
        FUiThread.Post([this, alive = FLifetime.Watch()] {
            if (!alive.Expired() && !ReloadTopDocument()) ShowPageFailed();
        });
        return;
    }
    ShowPageFailed();
}

void TBrowserForm::ShowPageFailed() {
    if (FPageFailedShown) return;
    FPageFailedShown = true;
    HWND owner = FWindow ? ::GetAncestor(FWindow.Get(), GA_ROOT) : nullptr;
    FUiThread.Post([owner] { ::MessageBoxW(owner, PageFailedText, L"Error", MB_OK | MB_ICONERROR); });
}

void TBrowserForm::ApplySettings() {
    ICoreWebView2Settings* settings = FEdgeBrowser->SettingsInterface();
    if (!settings) return;
    settings->put_IsScriptEnabled(TRUE);
    settings->put_IsStatusBarEnabled(FALSE);
    settings->put_IsZoomControlEnabled(FALSE);
    settings->put_IsWebMessageEnabled(TRUE);
    settings->put_IsBuiltInErrorPageEnabled(TRUE);
    settings->put_AreDevToolsEnabled(FOptions.allowDebug ? TRUE : FALSE);
    settings->put_AreDefaultContextMenusEnabled(FOptions.allowContextMenu ? TRUE : FALSE);
}

void TBrowserForm::EdgeBrowserWebResourceRequested(TEdgeBrowser& sender, TWebResourceRequestedEventArgs& args) {
    ICoreWebView2WebResourceRequestedEventArgs* eventArgs = args.ArgsInterface();
    TComPtr<ICoreWebView2WebResourceRequest> request;
    if (FAILED(eventArgs->get_Request(request.Put())) || !request) return;
    TCoTaskString uriText;
    if (FAILED(request->get_Uri(uriText.Put())) || !uriText) return;
    const std::string uri = TWinText::WideToUtf8(uriText.Get());
    // Web addresses, data: URLs and the like go on untouched; so do file: URLs under the https
    // origin, which the web view reads as it reads any file: URL, never as the application's.
    if (!TAppUrl::IsAppUrl(uri, FOptions.urlPrefix)) return;
    ICoreWebView2Environment* environment = sender.EnvironmentInterface();
    if (!environment) return;
    TComPtr<ICoreWebView2HttpRequestHeaders> requestHeaders;
    if (FAILED(request->get_Headers(requestHeaders.Put()))) requestHeaders.Reset();
    // A request made by a document of another origin (a web page, or under the https origin a
    // sandboxed page) framing, fetching or embedding app URLs gets no content.
    if (NamesForeignRequester(requestHeaders.Get())) {
        PutResponse(environment, eventArgs, nullptr, 403, "Forbidden", "");
        return;
    }

    FMimeRegistry.Refresh();
    // A Range header asks for a part: only that part is read, and it is answered 206; an
    // open-ended one gets a part of bounded size.
    const std::optional<std::string> range = RequestHeader(requestHeaders.Get(), L"Range");
    // Large entries and files are decrypted (and inflated) or read as the web view reads them, on
    // its own thread, never held whole.
    TResourceResolver resolver = Resolver();
    resolver.SetStreamLargeEntries(true);
    resolver.SetStreamLargeFiles(true);
    resolver.SetMaxOpenRangePart(TResponseBody::MaxOpenRangePart);
    TResource resource = resolver.FindUrl(uri, range);
    // Nothing in the archive or on disk: under file:/// the web view handles the URL itself (its
    // error page); under the https origin the answer is 404, so the request never reaches the
    // network.
    if (resource.status == 404 && FOptions.urlPrefix == TAppUrl::FileUrlPrefix) return;
    const bool streamed = resource.stream != nullptr || resource.fileStream != nullptr;
    const uint64_t bodyLength = resource.BodyLength();
    TComPtr<IStream> stream = TResponseBody::Stream(resource);
    if (!stream) return;
    // Every header the resolver gives (the type, ranges, the sandbox of what the disk answered).
    std::string headerText;
    for (const auto& [name, value] : resource.Headers()) {
        if (!headerText.empty()) headerText += "\r\n";
        headerText += name + ": " + value;
    }
    // Under the https origin a document of another origin is cross-origin to the application: the
    // browser itself then refuses to show the application's pages in its frames, also when it
    // hides where it comes from (no Origin, no Referer).
    if (FOptions.urlPrefix == TAppUrl::HttpsPrefix) headerText += "\r\nContent-Security-Policy: frame-ancestors 'self'";
    // A part says its length, and so does a body read as the web view asks for it.
    if (resource.status == 206 || streamed) headerText += "\r\nContent-Length: " + std::to_string(bodyLength);
    PutResponse(environment, eventArgs, stream.Get(), resource.status, resource.reason, headerText);
}

bool TBrowserForm::TakeHostNavigation(const std::string& uri) {
    // The engine reports the URL it was asked for in its canonical form (blanks and non-ASCII
    // escaped, backslashes as slashes, "./" resolved).
    if (FHostNavigation.empty() || TAppUrl::Canonical(uri) != FHostNavigation) return false;
    FHostNavigation.clear();
    return true;
}

// https://app.localhost and https://APP.localhost:443/x are the application's origin,
// https://app.localhost.example/ is not. Under file:/// every file: URL shares one origin, so the URL
// must also lie in the space (not on a share, file://server/...).
bool TBrowserForm::IsAppOriginUrl(std::string_view url) const {
    if (TAppUrl::OriginOf(url) != TAppUrl::OriginOf(FOptions.urlPrefix)) return false;
    return FOptions.urlPrefix != TAppUrl::FileUrlPrefix ||
           TAppUrl::IsAppUrl(TAppUrl::Canonical(url), FOptions.urlPrefix);
}

bool TBrowserForm::NamesForeignRequester(ICoreWebView2HttpRequestHeaders* headers) const {
    if (const auto origin = RequestHeader(headers, L"Origin"); origin && !origin->empty()) {
        // An opaque origin is the application's own only under file:///, whose documents have one.
        if (*origin == "null") return TAppUrl::Origin(FOptions.urlPrefix) != "null";
        return !IsAppOriginUrl(*origin);
    }
    const auto referer = RequestHeader(headers, L"Referer");
    return referer && !referer->empty() && !IsAppOriginUrl(*referer);
}

// Under the https origin a file: URL is not the application's: the web view opens it as it opens
// a web address.
bool TBrowserForm::OpensInNewInstance(const std::string& uri) const {
    return TAppUrl::IsAppUrl(uri, FOptions.urlPrefix) ||
           (FOptions.urlPrefix == TAppUrl::FileUrlPrefix && TAppUrl::IsFileUrl(uri));
}

// An application document's new window on a file: URL or an app URL becomes a new instance; one
// on a web address is the web view's own. Other documents open no window at all.
void TBrowserForm::EdgeBrowserNewWindowRequested(TEdgeBrowser&, TNewWindowRequestedEventArgs& args) {
    TCoTaskString uriText;
    if (FAILED(args.ArgsInterface()->get_Uri(uriText.Put())) || !uriText) return;
    const std::string uri = TWinText::WideToUtf8(uriText.Get());
    const bool appUrl = OpensInNewInstance(uri);
    if (!appUrl && AppDocumentOnTop()) return;
    args.ArgsInterface()->put_Handled(TRUE);
    if (!appUrl || !AppDocumentOnTop() || !FStartInstance) return;
    // Started once the event has returned: nothing that may wait or pump messages runs inside a
    // WebView2 event.
    FUiThread.Post([start = FStartInstance, arguments = NewInstanceArguments(FOptions.relaunchOptions, FOptions.appID,
                                                                             uri)] { start(arguments); });
}

// Only the application, or the runtime's own start, navigates into the app URL space.
void TBrowserForm::EdgeBrowserNavigationStarting(TEdgeBrowser&, TNavigationStartingEventArgs& args) {
    TCoTaskString uriText;
    if (FAILED(args.ArgsInterface()->get_Uri(uriText.Put())) || !uriText) return;
    const std::string uri = TWinText::WideToUtf8(uriText.Get());
    const TNavigationCause cause = TakeHostNavigation(uri) ? TNavigationCause::Host : TNavigationCause::Page;
    if (!FGate || !FGate->MayNavigate(uri, cause)) args.ArgsInterface()->put_Cancel(TRUE);
}

void TBrowserForm::EdgeBrowserContentLoading(TEdgeBrowser& sender) {
    // Replies meant for the document that has gone never reach the new one.
    ++*FDocumentGeneration;
    if (FGate) FGate->DocumentCommitted(sender.LocationURL());
}

void TBrowserForm::EdgeBrowserNavigationCompleted(TEdgeBrowser&, bool isSuccess, COREWEBVIEW2_WEB_ERROR_STATUS status) {
    if (status != COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED) FLastNavigationSucceeded = isSuccess;
    if (ProgressBarVisible()) {
        ::ShowWindow(FProgressBar, SW_HIDE);
        LayOut();
    }
}

// Camera, microphone, location, notifications and the like: only for the application's documents,
// asked by the application's origin.
void TBrowserForm::EdgeBrowserPermissionRequested(TEdgeBrowser&, TPermissionRequestedEventArgs& args) {
    ICoreWebView2PermissionRequestedEventArgs* request = args.ArgsInterface();
    DecideThisRequestOnly(request);
    TCoTaskString uriText;
    const bool fromApp = AppDocumentOnTop() && SUCCEEDED(request->get_Uri(uriText.Put())) && uriText &&
                         IsAppOriginUrl(TWinText::WideToUtf8(uriText.Get()));
    request->put_State(fromApp ? COREWEBVIEW2_PERMISSION_STATE_ALLOW : COREWEBVIEW2_PERMISSION_STATE_DENY);
}

// WebView2 stores a decision for its origin and kind by default, and may answer later requests
// with it without asking: a state given to the application would then also go to a page that is
// not the application at the same origin. Each request is decided by the rule above alone.
void TBrowserForm::DecideThisRequestOnly(ICoreWebView2PermissionRequestedEventArgs* request) {
    const auto later =
        TComPtr<ICoreWebView2PermissionRequestedEventArgs>(request).As<ICoreWebView2PermissionRequestedEventArgs3>();
    if (later && SUCCEEDED(later->put_SavesInProfile(FALSE))) return;
    if (std::exchange(FStoredDecisionsReported, true)) return;
    TFailureSink::Report(
        "this WebView2 runtime stores permission decisions per origin (no SavesInProfile before version 111): a "
        "state once given may be reused without asking the application");
}

void TBrowserForm::EdgeBrowserWebMessageReceived(TEdgeBrowser&, TWebMessageReceivedEventArgs& args) {
    if (!FOnWebMessage) return;
    FUiThread.Post([this, alive = FLifetime.Watch(), message = ToWebMessage(args.ArgsInterface())] {
        if (!alive.Expired() && FOnWebMessage) FOnWebMessage(message);
    });
}

void TBrowserForm::SetOnDocumentTitleChanged(std::function<void(const std::string& title)> handler) {
    FEdgeBrowser->OnDocumentTitleChanged = [handler = std::move(handler)](TEdgeBrowser&, const std::string& title) {
        if (handler) handler(title);
    };
}

}  // namespace zorv
