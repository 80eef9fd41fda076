#include "backends/win32/BrowserForm.h"

#include <commctrl.h>
#include <shlwapi.h>

#include "backends/win32/EntryStream.h"
#include "backends/win32/SysUtils.h"
#include "backends/win32/WinText.h"
#include "bridge/ZorvExternalJavascript.h"
#include "runtime/AppUrl.h"
#include "runtime/DocumentStartScript.h"
#include "runtime/ResourceResolver.h"
#include "shared/ExeUtils.h"

namespace zorv {

namespace {
constexpr wchar_t WindowClassName[] = L"ZorvBrowserForm";
constexpr int ProgressBarHeight = 4;

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

// The folder of the running executable, with its trailing "\".
std::string ExecutableFolder() {
    const std::string path = TExeUtils::RunningExePath();
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The bridge script as the executable carries it (RCDATA ZORV_EXTERNAL_JAVASCRIPT); builds
// without the resource, such as the tests, use the copy compiled into the bridge.
std::string_view BridgeScript() {
    HMODULE module = ::GetModuleHandleW(nullptr);
    if (HRSRC resource = ::FindResourceW(module, L"ZORV_EXTERNAL_JAVASCRIPT", MAKEINTRESOURCEW(10))) {
        HGLOBAL loaded = ::LoadResource(module, resource);
        const void* data = loaded ? ::LockResource(loaded) : nullptr;
        if (data) return {static_cast<const char*>(data), ::SizeofResource(module, resource)};
    }
    return ZorvExternalJavascript();
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
    : FEdgeBrowser(std::make_unique<TEdgeBrowser>(uiThread, std::move(environmentFactory))),
      FAppDirPath(ExecutableFolder()) {
    FStartInstance = [](const std::string& arguments) {
        TSysUtils::ShellExec(TWinText::Utf8ToWide(TExeUtils::RunningExePath()), TWinText::Utf8ToWide(arguments));
    };
    TEdgeBrowser& edge = *FEdgeBrowser;
    edge.OnProcessFailed = [](TEdgeBrowser&, COREWEBVIEW2_PROCESS_FAILED_KIND) {};
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
}

TBrowserForm::~TBrowserForm() {
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
    TResourceResolver resolver = FPackage ? TResourceResolver(FPackage, FAppDirName, FAppDirPath, FUrlPrefix)
                                          : TResourceResolver(FExeZip, FAppDirName, FAppDirPath, FUrlPrefix);
    resolver.SetIndexPage(FAppIndexHtml);
    return resolver;
}

std::string TBrowserForm::DocumentStartScript() const {
    return TDocumentStartScript::Compose(FWithExternal ? BridgeScript() : std::string_view(), FWithExternal, FIsRuntime,
                                         FWebviewJavascript);
}

void TBrowserForm::ReloadPage() {
    ICoreWebView2* view = FEdgeBrowser->DefaultInterface();
    if (!view) return;
    FHostNavigation = FEdgeBrowser->LocationURL();
    if (FAILED(view->Reload())) FHostNavigation.clear();
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
    sender.AddWebResourceRequestedFilter("*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
    FGate.emplace(TAppDocuments(Resolver()));
    if (FStartPageURL.empty()) return;
    FHostNavigation = FStartPageURL;
    sender.Navigate(FStartPageURL);
}

void TBrowserForm::ApplySettings() {
    ICoreWebView2Settings* settings = FEdgeBrowser->SettingsInterface();
    if (!settings) return;
    settings->put_IsScriptEnabled(TRUE);
    settings->put_IsStatusBarEnabled(FALSE);
    settings->put_IsZoomControlEnabled(FALSE);
    settings->put_IsWebMessageEnabled(TRUE);
    settings->put_IsBuiltInErrorPageEnabled(TRUE);
    settings->put_AreDevToolsEnabled(FAllowDebug ? TRUE : FALSE);
    settings->put_AreDefaultContextMenusEnabled(FAllowContextMenu ? TRUE : FALSE);
}

void TBrowserForm::EdgeBrowserWebResourceRequested(TEdgeBrowser& sender, TWebResourceRequestedEventArgs& args) {
    if (!FHandleRequests) return;
    ICoreWebView2WebResourceRequestedEventArgs* eventArgs = args.ArgsInterface();
    TComPtr<ICoreWebView2WebResourceRequest> request;
    if (FAILED(eventArgs->get_Request(request.Put())) || !request) return;
    TCoTaskString uriText;
    if (FAILED(request->get_Uri(uriText.Put())) || !uriText) return;
    const std::string uri = TWinText::WideToUtf8(uriText.Get());
    if (!TAppUrl::IsAppUrl(uri, FUrlPrefix)) return;  // web addresses, data: URLs and the like go on untouched

    FMimeRegistry.Refresh();
    // A Range header asks for a part: only that part is read, and it is answered 206.
    std::optional<std::string> range;
    TComPtr<ICoreWebView2HttpRequestHeaders> requestHeaders;
    TCoTaskString rangeText;
    if (SUCCEEDED(request->get_Headers(requestHeaders.Put())) && requestHeaders &&
        SUCCEEDED(requestHeaders->GetHeader(L"Range", rangeText.Put())) && rangeText)
        range = TWinText::WideToUtf8(rangeText.Get());
    // Large entries are decrypted (and inflated) as the web view reads them, never held whole.
    TResourceResolver resolver = Resolver();
    resolver.SetStreamLargeEntries(true);
    TResource resource = resolver.FindUrl(uri, range);
    // Nothing in the archive or on disk: under file:/// the web view handles the URL itself (its
    // error page); under the https origin the answer is 404, so the request never reaches the
    // network.
    if (resource.status == 404 && FUrlPrefix == TAppUrl::FileUrlPrefix) return;
    ICoreWebView2Environment* environment = sender.EnvironmentInterface();
    if (!environment) return;
    // A memory stream keeps its own copy of the bytes for as long as the web view holds the
    // response; an entry stream owns its reader.
    const bool streamed = resource.stream != nullptr;
    const uint64_t bodyLength = resource.BodyLength();
    TComPtr<IStream> stream =
        resource.stream
            ? NewEntryStream(std::move(resource.stream))
            : TComPtr<IStream>::Attach(::SHCreateMemStream(reinterpret_cast<const BYTE*>(resource.bytes.data()),
                                                           static_cast<UINT>(resource.bytes.size())));
    if (!stream) return;
    std::string headerText;
    for (const auto& [name, value] : resource.Headers()) {
        if (!headerText.empty()) headerText += "\r\n";
        headerText += name + ": " + value;
    }
    // A part says its length, and so does a body read as the web view asks for it.
    if (resource.status == 206 || streamed) headerText += "\r\nContent-Length: " + std::to_string(bodyLength);
    const std::wstring headers = TWinText::Utf8ToWide(headerText);
    TComPtr<ICoreWebView2WebResourceResponse> response;
    if (SUCCEEDED(environment->CreateWebResourceResponse(stream.Get(), resource.status,
                                                         TWinText::Utf8ToWide(resource.reason).c_str(), headers.c_str(),
                                                         response.Put())) &&
        response)
        eventArgs->put_Response(response.Get());
}

// An application document's new window on a file: URL or an app URL becomes a new instance; one
// on a web address is the web view's own. Other documents open no window at all.
void TBrowserForm::EdgeBrowserNewWindowRequested(TEdgeBrowser&, TNewWindowRequestedEventArgs& args) {
    if (!FIsRuntime) return;
    TCoTaskString uriText;
    if (FAILED(args.ArgsInterface()->get_Uri(uriText.Put())) || !uriText) return;
    const std::string uri = TWinText::WideToUtf8(uriText.Get());
    const bool appUrl = TAppUrl::IsFileUrl(uri) || TAppUrl::IsAppUrl(uri, FUrlPrefix);
    if (!appUrl && AppDocumentOnTop()) return;
    args.ArgsInterface()->put_Handled(TRUE);
    if (appUrl && AppDocumentOnTop() && FStartInstance)
        FStartInstance(NewInstanceArguments(FRelaunchOptions, FRuntimeAppID, uri));
}

// Only the application, or the runtime's own start, navigates into the app URL space.
void TBrowserForm::EdgeBrowserNavigationStarting(TEdgeBrowser&, TNavigationStartingEventArgs& args) {
    TCoTaskString uriText;
    if (FAILED(args.ArgsInterface()->get_Uri(uriText.Put())) || !uriText) return;
    const std::string uri = TWinText::WideToUtf8(uriText.Get());
    TNavigationCause cause = TNavigationCause::Page;
    if (!FHostNavigation.empty() && uri == FHostNavigation) {
        FHostNavigation.clear();
        cause = TNavigationCause::Host;
    }
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

// Camera, microphone, location, notifications and the like: only for the application's documents.
void TBrowserForm::EdgeBrowserPermissionRequested(TEdgeBrowser&, TPermissionRequestedEventArgs& args) {
    TCoTaskString uriText;
    const bool fromApp = SUCCEEDED(args.ArgsInterface()->get_Uri(uriText.Put())) && uriText &&
                         TAppUrl::IsAppUrl(TWinText::WideToUtf8(uriText.Get()), FUrlPrefix) && AppDocumentOnTop();
    args.ArgsInterface()->put_State(fromApp ? COREWEBVIEW2_PERMISSION_STATE_ALLOW : COREWEBVIEW2_PERMISSION_STATE_DENY);
}

void TBrowserForm::EdgeBrowserWebMessageReceived(TEdgeBrowser&, TWebMessageReceivedEventArgs& args) {
    // The page host itself has no use for messages; the bridge takes them over at runtime.
    (void)ReadString(&ICoreWebView2WebMessageReceivedEventArgs::TryGetWebMessageAsString, args.ArgsInterface());
}

}  // namespace zorv
