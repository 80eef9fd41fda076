#include "StandInWebView2.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <string_view>
#include <vector>

#include "EngineLink.h"
#include "EventArgs.h"
#include "Scenario.h"
#include "ThreadPost.h"
#include "Transcript.h"

namespace zorv::test {

namespace {
using nlohmann::json;

constexpr DWORD StepPollMs = 20;
constexpr ULONGLONG WaitLimitMs = 60000;

std::string Utf8(const wchar_t* text) { return TTranscript::Utf8(text); }
std::wstring Wide(const std::string& text) { return TTranscript::Wide(text); }
void Record(json entry) { TTranscript::Instance().Write(std::move(entry)); }

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) return false;
    for (std::size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i]) return false;
    return true;
}

bool ContainsNoCase(const std::string& text, const std::string& part) {
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find(part) != std::string::npos;
}

// The disk file a file:/// URL names (file:///C:/dir/a%20b.html is C:\dir\a b.html), or empty
// when it names none: a path without a drive is not a file on Windows.
std::wstring DiskPathOf(const std::string& uri) {
    constexpr std::string_view Prefix = "file:///";
    if (uri.compare(0, Prefix.size(), Prefix) != 0) return {};
    std::string path;
    for (std::size_t i = Prefix.size(); i < uri.size(); ++i) {
        const char c = uri[i];
        if (c == '?' || c == '#') break;
        if (c == '%' && i + 2 < uri.size() && std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
            path += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += c == '/' ? '\\' : c;
        }
    }
    if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' || path[2] != '\\')
        return {};
    return Wide(path);
}

// Web views made in this process so far.
std::atomic<int> WebViewsMade{0};

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void AppendEscaped(std::string& out, char c, bool (*mustEscape)(unsigned char)) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    if (!mustEscape(byte)) {
        out += c;
        return;
    }
    out += '%';
    out += Hex[byte >> 4];
    out += Hex[byte & 0x0F];
}
bool EscapedInPath(unsigned char c) {
    return c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '`' || c == '{' || c == '}';
}
bool EscapedAfterPath(unsigned char c) { return c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>'; }

// A path with "." and ".." segments (also written "%2e") resolved, as a browser does.
std::string WithoutDotSegments(const std::string& path) {
    std::vector<std::string> segments;
    std::size_t start = 1;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::string segment = LowerCase(path.substr(start, slash == std::string::npos ? slash : slash - start));
        const bool last = slash == std::string::npos;
        if (segment == ".." || segment == ".%2e" || segment == "%2e." || segment == "%2e%2e") {
            if (!segments.empty()) segments.pop_back();
            if (last) segments.emplace_back();
        } else if (segment == "." || segment == "%2e") {
            if (last) segments.emplace_back();
        } else {
            segments.push_back(path.substr(start, slash == std::string::npos ? slash : slash - start));
        }
        if (last) break;
        start = slash + 1;
    }
    std::string out;
    for (const std::string& segment : segments) out += "/" + segment;
    return out.empty() ? "/" : out;
}

// The URL as Chromium reports a navigation to it: scheme and host in lower case; in http(s) and
// file: URLs backslashes of the path read as slashes and dot segments resolved; blanks, quotes,
// angle brackets and non-ASCII bytes (UTF-8) percent-escaped, in the query and fragment too.
std::string ChromiumForm(const std::string& url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string::npos) return url;
    const std::string scheme = LowerCase(url.substr(0, colon));
    const std::string rest = url.substr(colon + 1);
    if ((scheme != "http" && scheme != "https" && scheme != "file") || rest.compare(0, 2, "//") != 0)
        return scheme + ":" + rest;
    const std::size_t pathStart = std::min(rest.find_first_of("/\\?#", 2), rest.size());
    const std::string tail = rest.substr(pathStart);
    const std::size_t pathEnd = std::min(tail.find_first_of("?#"), tail.size());
    std::string path = tail.substr(0, pathEnd);
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.empty() || path[0] != '/') path = "/" + path;
    std::string out = scheme + "://" + LowerCase(rest.substr(2, pathStart - 2));
    for (char c : WithoutDotSegments(path)) AppendEscaped(out, c, EscapedInPath);
    for (char c : tail.substr(pathEnd)) AppendEscaped(out, c, EscapedAfterPath);
    return out;
}

// The origin a permission decision is kept for: scheme and host; every file: URL shares one.
std::string PermissionOrigin(const std::string& uri) {
    const std::string form = ChromiumForm(uri);
    if (form.compare(0, 5, "file:") == 0) return "file://";
    const std::size_t hostStart = form.find("://");
    if (hostStart == std::string::npos) return "null";
    return form.substr(0, form.find('/', hostStart + 3));
}

// Decisions the profile keeps, by origin and permission kind, for every web view of the process.
std::map<std::pair<std::string, int>, COREWEBVIEW2_PERMISSION_STATE>& ProfilePermissions() {
    static std::map<std::pair<std::string, int>, COREWEBVIEW2_PERMISSION_STATE> decisions;
    return decisions;
}

// The processes this process has started that are still running.
std::set<DWORD> ChildProcesses() {
    std::set<DWORD> children;
    TFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return children;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry))
        if (entry.th32ParentProcessID == ::GetCurrentProcessId()) children.insert(entry.th32ProcessID);
    return children;
}

// Which bit of the source kinds a request source needs.
UINT32 SourceKindOf(const std::string& source) {
    if (source == "sharedWorker") return COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SHARED_WORKER;
    if (source == "serviceWorker") return COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SERVICE_WORKER;
    return COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_DOCUMENT;  // the page and its frames
}

bool IsDiskFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

json MenuBarItems(HMENU menu) {
    json items = json::array();
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = 512;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        json item = {{"text", Utf8(text)},
                     {"id", info.wID},
                     {"grayed", (info.fState & MFS_GRAYED) != 0},
                     {"bitmap", info.hbmpItem != nullptr}};
        if (info.hSubMenu) item["items"] = MenuBarItems(info.hSubMenu);
        items.push_back(std::move(item));
    }
    return items;
}

bool TThreadAffinity::WrongThread(const char* method) const {
    if (::GetCurrentThreadId() == FThread) return false;
    Record({{"event", "wrongThread"}, {"object", FObjectName}, {"method", method}});
    return true;
}

// ---- environment ----

namespace {
std::atomic<int> ControllersMade{0};
std::atomic<int> ControllersClosed{0};
}  // namespace

void TStandInEnvironment::WebViewMade() { ++ControllersMade; }
void TStandInEnvironment::WebViewClosed() { ++ControllersClosed; }

bool TStandInEnvironment::PreviousBrowserExiting() {
    return ControllersMade > 0 && ControllersClosed == ControllersMade;
}

HRESULT TStandInEnvironment::CreateCoreWebView2Controller(
    HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
    if (!handler) return E_POINTER;
    Record({{"event", "createController"}, {"parentIsWindow", ::IsWindow(parentWindow) != FALSE}});
    TComPtr<ICoreWebView2Controller> controller = TComPtr<ICoreWebView2Controller>::Attach(
        new TStandInController(TComPtr<ICoreWebView2Environment>(this), parentWindow));
    TComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> kept(handler);
    if (TEngineWebView* engine = static_cast<TStandInController*>(controller.Get())->Engine()) {
        engine->Create([kept, controller](HRESULT made) {
            if (SUCCEEDED(made)) static_cast<TStandInController*>(controller.Get())->MarkCreated();
            kept->Invoke(made, SUCCEEDED(made) ? controller.Get() : nullptr);
        });
        return S_OK;
    }
    TThreadPost::Post(TThreadPost::CurrentThreadWindow(), [kept, controller] {
        static_cast<TStandInController*>(controller.Get())->MarkCreated();
        kept->Invoke(S_OK, controller.Get());
    });
    return S_OK;
}

HRESULT TStandInEnvironment::CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                                       LPCWSTR headers, ICoreWebView2WebResourceResponse** response) {
    if (!response) return E_POINTER;
    *response = new TStandInResponse(content, statusCode, reasonPhrase ? reasonPhrase : L"", headers ? headers : L"");
    return S_OK;
}

HRESULT TStandInEnvironment::get_BrowserVersionString(LPWSTR* versionInfo) {
    if (!versionInfo) return E_POINTER;
    *versionInfo = CoTaskCopy(TScenario::Instance().BrowserVersion());
    return S_OK;
}

HRESULT TStandInEnvironment::add_NewBrowserVersionAvailable(ICoreWebView2NewBrowserVersionAvailableEventHandler*,
                                                            EventRegistrationToken* token) {
    if (token) token->value = 1;
    return S_OK;
}

// ---- settings ----

HRESULT TStandInSettings::Put(const char* name, BOOL value) {
    ZORV_STANDIN_OWN_THREAD();
    FValues[name] = value;
    Record({{"event", "setting"}, {"name", name}, {"value", value != FALSE}});
    return S_OK;
}

// ---- controller ----

TStandInController::TStandInController(TComPtr<ICoreWebView2Environment> environment, HWND parentWindow)
    : FWebView(TComPtr<TStandInWebView>::Attach(new TStandInWebView(std::move(environment), parentWindow))),
      FParentWindow(parentWindow) {
    TStandInEnvironment::WebViewMade();
}

HRESULT TStandInController::get_IsVisible(BOOL* isVisible) {
    ZORV_STANDIN_OWN_THREAD();
    if (!isVisible) return E_POINTER;
    *isVisible = FVisible;
    return S_OK;
}
HRESULT TStandInController::put_IsVisible(BOOL isVisible) {
    ZORV_STANDIN_OWN_THREAD();
    FVisible = isVisible;
    Record({{"event", "visible"}, {"value", isVisible != FALSE}});
    if (Engine()) Engine()->SetVisible(isVisible != FALSE);
    return S_OK;
}
HRESULT TStandInController::get_Bounds(RECT* bounds) {
    ZORV_STANDIN_OWN_THREAD();
    if (!bounds) return E_POINTER;
    *bounds = FBounds;
    return S_OK;
}
HRESULT TStandInController::put_Bounds(RECT bounds) {
    ZORV_STANDIN_OWN_THREAD();
    FBounds = bounds;
    if (Engine()) Engine()->SetBounds(bounds);
    return S_OK;
}
HRESULT TStandInController::get_ZoomFactor(double* zoomFactor) {
    ZORV_STANDIN_OWN_THREAD();
    if (!zoomFactor) return E_POINTER;
    *zoomFactor = FZoomFactor;
    return S_OK;
}
HRESULT TStandInController::put_ZoomFactor(double zoomFactor) {
    ZORV_STANDIN_OWN_THREAD();
    FZoomFactor = zoomFactor;
    return S_OK;
}
HRESULT TStandInController::SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) {
    ZORV_STANDIN_OWN_THREAD();
    FBounds = bounds;
    FZoomFactor = zoomFactor;
    if (Engine()) Engine()->SetBounds(bounds);
    return S_OK;
}
HRESULT TStandInController::get_ParentWindow(HWND* parentWindow) {
    ZORV_STANDIN_OWN_THREAD();
    if (!parentWindow) return E_POINTER;
    *parentWindow = FParentWindow;
    return S_OK;
}
HRESULT TStandInController::put_ParentWindow(HWND parentWindow) {
    ZORV_STANDIN_OWN_THREAD();
    FParentWindow = parentWindow;
    FWebView->SetParentWindow(parentWindow);
    return S_OK;
}
HRESULT TStandInController::Close() {
    ZORV_STANDIN_OWN_THREAD();
    if (FClosed) return S_OK;
    FClosed = true;
    Record({{"event", "controllerClose"}});
    TStandInEnvironment::WebViewClosed();
    FWebView->Close();
    return S_OK;
}
HRESULT TStandInController::get_CoreWebView2(ICoreWebView2** coreWebView2) {
    ZORV_STANDIN_OWN_THREAD();
    if (!coreWebView2) return E_POINTER;
    if (FClosed) {
        *coreWebView2 = nullptr;
        return S_OK;
    }
    *coreWebView2 = FWebView.Get();
    (*coreWebView2)->AddRef();
    return S_OK;
}

// ---- web view ----

TStandInWebView::TStandInWebView(TComPtr<ICoreWebView2Environment> environment, HWND parentWindow)
    : FEnvironment(std::move(environment)),
      FSettings(TComPtr<ICoreWebView2Settings>::Attach(new TStandInSettings)),
      FParentWindow(parentWindow),
      FQueue(TThreadPost::CurrentThreadWindow()),
      FViewNumber(++WebViewsMade) {
    if (TEngineLink::Enabled()) FEngine = std::make_unique<TEngineWebView>(*this, FViewNumber, FQueue);
}

bool TStandInWebView::OffersLaterInterfaces() const { return !TScenario::Instance().Lacks("ICoreWebView2_22"); }
bool TStandInWebView::OffersDownloadEvents() const { return !TScenario::Instance().Lacks("ICoreWebView2_4"); }

void TStandInWebView::Close() {
    if (FEngine) FEngine->Close();
    FClosed = true;
    FHandlers.clear();
}

void TStandInWebView::Later(std::function<void()> work, DWORD delayMs) {
    TComPtr<TStandInWebView> self(this);
    auto run = [self, work = std::move(work)] {
        if (!self->FClosed) work();
    };
    if (delayMs == 0) {
        TThreadPost::Post(FQueue, std::move(run));
    } else {
        TThreadPost::PostAfter(FQueue, delayMs, std::move(run));
    }
}

HRESULT TStandInWebView::AddHandler(const char* event, IUnknown* handler, EventRegistrationToken* token) {
    if (!handler || !token) return E_POINTER;
    token->value = FNextToken++;
    FHandlers[event].emplace_back(token->value, TComPtr<IUnknown>(handler));
    return S_OK;
}

HRESULT TStandInWebView::RemoveHandler(const char* event, EventRegistrationToken token) {
    auto& handlers = FHandlers[event];
    for (auto it = handlers.begin(); it != handlers.end(); ++it) {
        if (it->first == token.value) {
            handlers.erase(it);
            return S_OK;
        }
    }
    return S_OK;
}

template <class Handler, class Args>
void TStandInWebView::Raise(const char* event, Args* args) {
    // A copy: a handler may add or remove handlers while it runs.
    auto found = FHandlers.find(event);
    if (found == FHandlers.end()) return;
    // Something waiting in the queue, so that a message loop run inside a handler shows itself.
    Later([] {});
    const auto handlers = found->second;
    for (const auto& entry : handlers) static_cast<Handler*>(entry.second.Get())->Invoke(this, args);
}

HRESULT TStandInWebView::get_Settings(ICoreWebView2Settings** settings) {
    ZORV_STANDIN_OWN_THREAD();
    if (!settings) return E_POINTER;
    *settings = FSettings.Get();
    (*settings)->AddRef();
    return S_OK;
}

HRESULT TStandInWebView::get_Source(LPWSTR* uri) {
    ZORV_STANDIN_OWN_THREAD();
    if (!uri) return E_POINTER;
    *uri = CoTaskCopy(Wide(FSource.empty() ? "about:blank" : FSource));
    return S_OK;
}

HRESULT TStandInWebView::get_DocumentTitle(LPWSTR* title) {
    ZORV_STANDIN_OWN_THREAD();
    if (!title) return E_POINTER;
    *title = CoTaskCopy(Wide(FTitle));
    return S_OK;
}

HRESULT TStandInWebView::get_ContainsFullScreenElement(BOOL* contains) {
    ZORV_STANDIN_OWN_THREAD();
    if (!contains) return E_POINTER;
    *contains = FFullScreenElement;
    return S_OK;
}

HRESULT TStandInWebView::get_CanGoBack(BOOL* value) {
    ZORV_STANDIN_OWN_THREAD();
    if (!value) return E_POINTER;
    *value = FALSE;
    return S_OK;
}

HRESULT TStandInWebView::get_CanGoForward(BOOL* value) {
    ZORV_STANDIN_OWN_THREAD();
    if (!value) return E_POINTER;
    *value = FALSE;
    return S_OK;
}

HRESULT TStandInWebView::get_BrowserProcessId(UINT32* value) {
    ZORV_STANDIN_OWN_THREAD();
    if (!value) return E_POINTER;
    *value = ::GetCurrentProcessId();
    return S_OK;
}

HRESULT TStandInWebView::CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format, IStream* stream,
                                        ICoreWebView2CapturePreviewCompletedHandler* handler) {
    ZORV_STANDIN_OWN_THREAD();
    if (const HRESULT refused = RefuseUnlessOpen(__func__); FAILED(refused)) return refused;
    if (!stream) return E_INVALIDARG;
    if (!FEngine) return E_NOTIMPL;  // the scripted mode has no picture
    FEngine->CapturePreview(static_cast<int>(format), TComPtr<IStream>(stream),
                            TComPtr<ICoreWebView2CapturePreviewCompletedHandler>(handler));
    return S_OK;
}

HRESULT TStandInWebView::OpenDevToolsWindow() {
    ZORV_STANDIN_OWN_THREAD();
    Record({{"event", "openDevTools"}});
    return S_OK;
}

HRESULT TStandInWebView::AddScriptToExecuteOnDocumentCreated(
    LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) {
    ZORV_STANDIN_OWN_THREAD();
    Record({{"event", "documentStartScript"}, {"script", Utf8(javaScript)}});
    FDocumentScripts.push_back(Utf8(javaScript));
    if (FEngine) {
        FEngine->AddScript(Utf8(javaScript),
                           TComPtr<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler>(handler));
        return S_OK;
    }
    if (handler) {
        TComPtr<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler> kept(handler);
        Later([kept] { kept->Invoke(S_OK, L"1"); });
    }
    return S_OK;
}

HRESULT TStandInWebView::ExecuteScript(LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler) {
    ZORV_STANDIN_OWN_THREAD();
    if (const HRESULT refused = RefuseUnlessOpen(__func__); FAILED(refused)) return refused;
    const std::string script = Utf8(javaScript);
    if (FEngine) {
        Record({{"event", "executeScript"}, {"script", script}, {"ran", ScriptsRun()}});
        FEngine->ExecuteScript(script, TComPtr<ICoreWebView2ExecuteScriptCompletedHandler>(handler));
        return S_OK;
    }
    // An error page or the PDF viewer runs no script: the script does nothing and gives null.
    Record({{"event", "executeScript"}, {"script", script}, {"ran", ScriptsRun()}});
    if (ScriptsRun()) {
        for (const json& message : TScenario::Instance().ReactionTo(script)) {
            Later([this, message] { PostPageMessage(message); });
        }
    }
    if (handler) {
        TComPtr<ICoreWebView2ExecuteScriptCompletedHandler> kept(handler);
        const std::wstring result = Wide(ScriptsRun() ? ScriptResult(script) : "null");
        Later([kept, result] { kept->Invoke(S_OK, result.c_str()); });
    }
    return S_OK;
}

std::string TStandInWebView::ScriptResult(const std::string& script) const {
    constexpr std::string_view TypeOf = "typeof window.";
    std::string expression = script;
    while (!expression.empty() && (expression.back() == ';' || expression.back() == ' ')) expression.pop_back();
    if (expression.compare(0, TypeOf.size(), TypeOf) != 0) return "null";
    const std::string name = expression.substr(TypeOf.size());
    for (const std::string& documentScript : FDocumentScripts)
        if (documentScript.find("window." + name + " =") != std::string::npos ||
            documentScript.find("window." + name + "=") != std::string::npos)
            return "\"object\"";
    return "\"undefined\"";
}

HRESULT TStandInWebView::RefuseUnlessOpen(const char* method) const {
    if (FCreated && !FClosed) return S_OK;
    Record({{"event", "refused"}, {"method", method}, {"why", FClosed ? "after close" : "before creation"}});
    return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
}

HRESULT TStandInWebView::PostWebMessageAsJson(LPCWSTR webMessageAsJson) {
    ZORV_STANDIN_OWN_THREAD();
    if (const HRESULT refused = RefuseUnlessOpen(__func__); FAILED(refused)) return refused;
    const std::string text = Utf8(webMessageAsJson);
    Record({{"event", "reply"}, {"json", text}});
    const json reply = json::parse(text, nullptr, false);
    if (FEngine) {
        if (reply.is_discarded()) return E_INVALIDARG;
        FEngine->Post(reply);
    }
    if (reply.is_object() && reply.contains("uuid") && reply["uuid"].is_string())
        FRepliedUuids.insert(reply["uuid"].get<std::string>());
    return S_OK;
}

HRESULT TStandInWebView::PostWebMessageAsString(LPCWSTR webMessageAsString) {
    ZORV_STANDIN_OWN_THREAD();
    if (const HRESULT refused = RefuseUnlessOpen(__func__); FAILED(refused)) return refused;
    Record({{"event", "replyString"}, {"text", Utf8(webMessageAsString)}});
    if (FEngine) FEngine->Post(Utf8(webMessageAsString));
    return S_OK;
}

HRESULT TStandInWebView::AddWebResourceRequestedFilter(LPCWSTR const uri,
                                                       COREWEBVIEW2_WEB_RESOURCE_CONTEXT const context) {
    ZORV_STANDIN_OWN_THREAD();
    const std::string filter = Utf8(uri);
    Record({{"event", "addFilter"}, {"uri", filter}, {"context", static_cast<int>(context)}});
    FFilters.push_back({filter, std::nullopt});
    if (FEngine) FEngine->AddFilter(filter, static_cast<int>(context));
    return S_OK;
}

HRESULT TStandInWebView::AddWebResourceRequestedFilterWithRequestSourceKinds(
    LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS sourceKinds) {
    ZORV_STANDIN_OWN_THREAD();
    if (!uri) return E_INVALIDARG;
    if (sourceKinds == COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_NONE) return E_INVALIDARG;
    const std::string filter = Utf8(uri);
    Record({{"event", "addFilter"},
            {"uri", filter},
            {"context", static_cast<int>(context)},
            {"sourceKinds", static_cast<UINT32>(sourceKinds)}});
    FFilters.push_back({filter, static_cast<UINT32>(sourceKinds)});
    if (FEngine) FEngine->AddFilter(filter, static_cast<int>(context));
    return S_OK;
}

HRESULT TStandInWebView::RemoveWebResourceRequestedFilterWithRequestSourceKinds(
    LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS sourceKinds) {
    ZORV_STANDIN_OWN_THREAD();
    Record({{"event", "removeFilter"},
            {"uri", Utf8(uri)},
            {"context", static_cast<int>(context)},
            {"sourceKinds", static_cast<UINT32>(sourceKinds)}});
    if (FEngine) FEngine->RemoveFilter(Utf8(uri), static_cast<int>(context));
    return S_OK;
}

HRESULT TStandInWebView::RemoveWebResourceRequestedFilter(LPCWSTR const uri,
                                                          COREWEBVIEW2_WEB_RESOURCE_CONTEXT const context) {
    ZORV_STANDIN_OWN_THREAD();
    Record({{"event", "removeFilter"}, {"uri", Utf8(uri)}, {"context", static_cast<int>(context)}});
    if (FEngine) FEngine->RemoveFilter(Utf8(uri), static_cast<int>(context));
    return S_OK;
}

bool TStandInWebView::FilterMatches(const std::string& uri, const std::string& source) const {
    for (const TFilter& filter : FFilters) {
        const std::size_t star = filter.uri.find('*');
        const bool uriMatches =
            star == std::string::npos ? uri == filter.uri : uri.compare(0, star, filter.uri, 0, star) == 0;
        const bool sourceSeen =
            filter.sourceKinds ? (*filter.sourceKinds & SourceKindOf(source)) != 0 : source == "document";
        if (uriMatches && sourceSeen) return true;
    }
    return false;
}

HRESULT TStandInWebView::Navigate(LPCWSTR uri) {
    ZORV_STANDIN_OWN_THREAD();
    if (const HRESULT refused = RefuseUnlessOpen(__func__); FAILED(refused)) return refused;
    if (!uri) return E_INVALIDARG;
    const std::string target = Utf8(uri);
    Record({{"event", "navigate"}, {"uri", target}});
    if (FEngine) {
        FEngine->Navigate(target);
        return S_OK;
    }
    Later([this, target] { LoadPage(ChromiumForm(target)); });
    return S_OK;
}

// A reload loads the page shown again, as a navigation of its own.
HRESULT TStandInWebView::Reload() {
    ZORV_STANDIN_OWN_THREAD();
    if (const HRESULT refused = RefuseUnlessOpen(__func__); FAILED(refused)) return refused;
    Record({{"event", "reload"}, {"uri", FSource}, {"view", FViewNumber}, {"browserGone", FBrowserGone}});
    if (FBrowserGone) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (FEngine) {
        FEngine->Reload();
        return S_OK;
    }
    if (!FSource.empty()) Later([this, uri = FSource] { LoadPage(uri); });
    return S_OK;
}

// A page load as the browser reports it: starting, source, the document through the request
// filter, content, its resources, completed; then the page starts acting. A document nobody can
// give (not answered, not on disk) shows the browser's error page at the same URL.
void TStandInWebView::LoadPage(const std::string& uri) {
    const UINT64 id = ++FNavigationId;
    TComPtr<TStandInNavigationStartingArgs> starting =
        TComPtr<TStandInNavigationStartingArgs>::Attach(new TStandInNavigationStartingArgs(Wide(uri), id));
    Raise<ICoreWebView2NavigationStartingEventHandler>("NavigationStarting", starting.Get());
    if (starting->Cancelled()) {
        Record({{"event", "navigationCancelled"}, {"uri", uri}});
        TComPtr<TStandInNavigationCompletedArgs> cancelled = TComPtr<TStandInNavigationCompletedArgs>::Attach(
            new TStandInNavigationCompletedArgs(id, FALSE, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED));
        Raise<ICoreWebView2NavigationCompletedEventHandler>("NavigationCompleted", cancelled.Get());
        return;
    }
    FSource = uri;
    TComPtr<TStandInSourceChangedArgs> sourceChanged =
        TComPtr<TStandInSourceChangedArgs>::Attach(new TStandInSourceChangedArgs);
    Raise<ICoreWebView2SourceChangedEventHandler>("SourceChanged", sourceChanged.Get());
    FPage = PageFor(uri, RequestResource(uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT));
    const bool errorPage = FPage == TPage::ErrorPage;
    TComPtr<TStandInContentLoadingArgs> loading =
        TComPtr<TStandInContentLoadingArgs>::Attach(new TStandInContentLoadingArgs(id, errorPage ? TRUE : FALSE));
    Raise<ICoreWebView2ContentLoadingEventHandler>("ContentLoading", loading.Get());
    if (FPage == TPage::Document) {
        for (const json& resource : TScenario::Instance().Resources())
            if (resource.is_string() || resource.is_object())
                RequestResource(resource, COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER);
    }
    TComPtr<TStandInNavigationCompletedArgs> completed = TComPtr<TStandInNavigationCompletedArgs>::Attach(
        new TStandInNavigationCompletedArgs(id, errorPage ? FALSE : TRUE, COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN));
    Raise<ICoreWebView2NavigationCompletedEventHandler>("NavigationCompleted", completed.Get());
    static const char* const PageNames[] = {"blank", "document", "errorPage", "pdf"};
    Record({{"event", "loaded"}, {"uri", uri}, {"page", PageNames[static_cast<int>(FPage)]}, {"view", FViewNumber}});
    if (!FStepsStarted) {
        FStepsStarted = true;
        FSteps = &TScenario::Instance().StepsFor(uri, FViewNumber > 1);
        Later([this] { RunNextStep(); });
    }
}

TStandInWebView::TPage TStandInWebView::PageFor(const std::string& uri, const TAnswer& answer) const {
    if (answer.answered) return ContainsNoCase(answer.headers, "application/pdf") ? TPage::Pdf : TPage::Document;
    if (uri.compare(0, 5, "file:") != 0) return TPage::Document;  // the web's pages are not modelled
    if (!IsDiskFile(DiskPathOf(uri))) return TPage::ErrorPage;
    return EndsWithNoCase(uri, ".pdf") ? TPage::Pdf : TPage::Document;
}

TStandInWebView::TAnswer TStandInWebView::RequestResource(const json& request,
                                                          COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    TAnswer answer;
    const std::string uri = request.is_string() ? request.get<std::string>() : request.value("uri", std::string());
    const std::string source = request.is_object() ? request.value("source", std::string("document")) : "document";
    TStandInRequestHeaders::TMap headers;
    if (request.is_object() && request.contains("headers"))
        for (const auto& [name, value] : request["headers"].items())
            headers[Wide(name)] = Wide(value.get<std::string>());
    if (!FilterMatches(uri, source)) {
        // Not seen by the runtime: the request goes to the disk or the network by itself.
        Record({{"event", "request"}, {"uri", uri}, {"source", source}, {"filtered", false}});
        return answer;
    }
    TComPtr<TStandInResourceRequestedArgs> args =
        TComPtr<TStandInResourceRequestedArgs>::Attach(new TStandInResourceRequestedArgs(Wide(uri), headers, context));
    Raise<ICoreWebView2WebResourceRequestedEventHandler>("WebResourceRequested", args.Get());
    json entry = {{"event", "request"}, {"uri", uri}, {"source", source}};
    if (!headers.empty()) entry["requestHeaders"] = request["headers"];
    if (TStandInResponse* response = args->Response()) {
        int status = 0;
        response->get_StatusCode(&status);
        LPWSTR reason = nullptr;
        response->get_ReasonPhrase(&reason);
        entry["status"] = status;
        entry["reason"] = Utf8(reason);
        ::CoTaskMemFree(reason);
        answer.answered = true;
        answer.headers = Utf8(response->Headers().c_str());
        entry["headers"] = answer.headers;
        HRESULT failure = S_OK;
        bool agile = true;
        entry["body"] = TTranscript::Base64(response->ReadBody(failure, agile));
        if (FAILED(failure)) entry["bodyFailure"] = static_cast<int64_t>(failure);
        if (!agile)
            Record({{"event", "streamNotAgile"},
                    {"uri", uri},
                    {"why",
                     "the response stream does not answer IAgileObject: WebView2's reader thread would call it "
                     "through the user-interface thread"}});
    } else {
        entry["response"] = nullptr;
    }
    Record(std::move(entry));
    return answer;
}

// {"message": value, "source": url} posts the value as a page would (a string stays a string);
// {"raw": text} posts text that is not even JSON, as a broken page might.
void TStandInWebView::PostPageMessage(const json& step) {
    const std::string source = step.value("source", FSource);
    std::wstring jsonText;
    bool isString = false;
    std::wstring asString;
    if (step.contains("raw")) {
        jsonText = Wide(step["raw"].get<std::string>());
    } else {
        const json& message = step["message"];
        jsonText = Wide(message.dump());
        isString = message.is_string();
        if (isString) asString = Wide(message.get<std::string>());
    }
    Record({{"event", "webMessage"}, {"json", Utf8(jsonText.c_str())}, {"source", source}});
    TComPtr<TStandInWebMessageArgs> args =
        TComPtr<TStandInWebMessageArgs>::Attach(new TStandInWebMessageArgs(Wide(source), jsonText, isString, asString));
    Raise<ICoreWebView2WebMessageReceivedEventHandler>("WebMessageReceived", args.Get());
}

void TStandInWebView::RunNextStep() {
    const json& steps = *FSteps;
    if (FNextStep >= steps.size()) {
        Record({{"event", "stepsDone"}});
        return;
    }
    const json& step = steps[FNextStep++];
    if (RunStep(step)) Later([this] { RunNextStep(); });
}

bool TStandInWebView::RunStep(const json& step) {
    if ((step.contains("message") || step.contains("raw")) && !ScriptsRun()) {
        Record({{"event", "messageNotPosted"}, {"why", "no script runs on this page"}});
    } else if (step.contains("message") || step.contains("raw")) {
        PostPageMessage(step);
    } else if (step.contains("wait")) {
        Later([this] { RunNextStep(); }, step["wait"].get<DWORD>());
        return false;
    } else if (step.contains("waitReply")) {
        WaitForReply(step["waitReply"].get<std::string>(), ::GetTickCount64() + WaitLimitMs);
        return false;
    } else if (step.contains("pause")) {
        // The driver looks at the windows, then makes "<transcript>.<name>" to let the page go on.
        const std::string name = step["pause"].get<std::string>();
        Record({{"event", "pause"}, {"name", name}});
        WaitForFile(TTranscript::Instance().Path() + L"." + Wide(name), ::GetTickCount64() + WaitLimitMs);
        return false;
    } else if (step.contains("title")) {
        FTitle = step["title"].get<std::string>();
        Raise<ICoreWebView2DocumentTitleChangedEventHandler>("DocumentTitleChanged", static_cast<IUnknown*>(nullptr));
    } else if (step.contains("fullScreenElement")) {
        FFullScreenElement = step["fullScreenElement"].get<bool>() ? TRUE : FALSE;
        Raise<ICoreWebView2ContainsFullScreenElementChangedEventHandler>("ContainsFullScreenElementChanged",
                                                                         static_cast<IUnknown*>(nullptr));
    } else if (step.contains("newWindow")) {
        RequestNewWindow(ChromiumForm(step["newWindow"].get<std::string>()));
    } else if (step.contains("download")) {
        StartDownload(step);
        return false;
    } else if (step.contains("permission")) {
        RequestPermission(step);
    } else if (step.contains("closeRequested")) {
        Raise<ICoreWebView2WindowCloseRequestedEventHandler>("WindowCloseRequested", static_cast<IUnknown*>(nullptr));
    } else if (step.contains("closeWindow")) {
        // The user closes the main window (its title bar button).
        ::PostMessageW(::GetAncestor(FParentWindow, GA_ROOT), WM_CLOSE, 0, 0);
    } else if (step.contains("navigate")) {
        LoadPage(ChromiumForm(step["navigate"].get<std::string>()));
    } else if (step.contains("inspectMenu")) {
        HMENU menu = ::GetMenu(::GetAncestor(FParentWindow, GA_ROOT));
        Record({{"event", "menu"}, {"items", menu ? MenuBarItems(menu) : json::array()}});
    } else if (step.contains("processFailed")) {
        FailProcess(static_cast<COREWEBVIEW2_PROCESS_FAILED_KIND>(step["processFailed"].get<int>()));
    } else if (step.contains("mark")) {
        Record({{"event", "mark"}, {"name", step["mark"]}});
    } else {
        Record({{"event", "unknownStep"}, {"step", step}});
    }
    return true;
}

void TStandInWebView::FailProcess(COREWEBVIEW2_PROCESS_FAILED_KIND kind) {
    Record({{"event", "processFailed"}, {"kind", static_cast<int>(kind)}, {"view", FViewNumber}});
    if (kind == COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED) FBrowserGone = true;
    if (kind <= COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE) FPage = TPage::Blank;
    TComPtr<TStandInProcessFailedArgs> args =
        TComPtr<TStandInProcessFailedArgs>::Attach(new TStandInProcessFailedArgs(kind));
    Raise<ICoreWebView2ProcessFailedEventHandler>("ProcessFailed", args.Get());
}

void TStandInWebView::RequestNewWindow(const std::string& uri) {
    TComPtr<TStandInNewWindowArgs> args =
        TComPtr<TStandInNewWindowArgs>::Attach(new TStandInNewWindowArgs(Wide(uri), TRUE));
    const std::set<DWORD> before = ChildProcesses();
    Raise<ICoreWebView2NewWindowRequestedEventHandler>("NewWindowRequested", args.Get());
    for (DWORD child : ChildProcesses()) {
        if (before.count(child)) continue;
        Record({{"event", "processStartedInEvent"},
                {"why",
                 "a NewWindowRequested handler started a process before returning; a start through the shell may "
                 "show a prompt there, a message loop inside the event"}});
        break;
    }
    Record({{"event", "newWindow"}, {"uri", uri}, {"handled", args->Handled() != FALSE}});
}

void TStandInWebView::StartDownload(const json& step) {
    const std::string uri = step["download"].get<std::string>();
    TComPtr<TStandInDownloadArgs> args = TComPtr<TStandInDownloadArgs>::Attach(
        new TStandInDownloadArgs(Wide(uri), Wide(step.value("resultFilePath", std::string()))));
    const bool raised = !FHandlers["DownloadStarting"].empty();
    Raise<ICoreWebView2DownloadStartingEventHandler>("DownloadStarting", args.Get());
    args->EndEvent();
    FinishDownload(args, uri, raised, ::GetTickCount64() + WaitLimitMs);
}

void TStandInWebView::FinishDownload(TComPtr<TStandInDownloadArgs> args, const std::string& uri, bool raised,
                                     ULONGLONG deadline) {
    if (!args->Decided() && ::GetTickCount64() < deadline) {
        Later([this, args, uri, raised, deadline] { FinishDownload(args, uri, raised, deadline); }, StepPollMs);
        return;
    }
    const bool cancelled = args->Cancelled() != FALSE;
    Record({{"event", "download"},
            {"uri", uri},
            {"raised", raised},
            {"decided", args->Decided()},
            {"cancel", cancelled},
            {"handled", args->Handled() != FALSE},
            {"resultFilePath", Utf8(args->ResultFilePath().c_str())}});
    // The browser saves what it was not told to cancel; without Handled it also shows its
    // download bar.
    if (!cancelled && args->Decided()) {
        TFileHandle file(::CreateFileW(args->ResultFilePath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file) ::WriteFile(file.Get(), "downloaded", 10, &written, nullptr);
    }
    if (args->Handled() == FALSE) Record({{"event", "downloadBarShown"}, {"uri", uri}});
    RunNextStep();
}

void TStandInWebView::RequestPermission(const json& step) {
    const auto kind = static_cast<COREWEBVIEW2_PERMISSION_KIND>(step["permission"].get<int>());
    const std::string uri = step.value("uri", FSource);
    const std::pair<std::string, int> key{PermissionOrigin(uri), static_cast<int>(kind)};
    json entry = {{"event", "permission"}, {"uri", uri}, {"kind", static_cast<int>(kind)}};
    if (const auto saved = ProfilePermissions().find(key); saved != ProfilePermissions().end()) {
        // The browser answers from the profile without asking the runtime again.
        entry["state"] = static_cast<int>(saved->second);
        entry["fromProfile"] = true;
        Record(std::move(entry));
        return;
    }
    TComPtr<TStandInPermissionArgs> args = TComPtr<TStandInPermissionArgs>::Attach(new TStandInPermissionArgs(
        Wide(uri), kind, !TScenario::Instance().Lacks("ICoreWebView2PermissionRequestedEventArgs3")));
    Raise<ICoreWebView2PermissionRequestedEventHandler>("PermissionRequested", args.Get());
    if (args->SavesInProfile() && args->State() != COREWEBVIEW2_PERMISSION_STATE_DEFAULT)
        ProfilePermissions()[key] = args->State();
    entry["state"] = static_cast<int>(args->State());
    entry["savesInProfile"] = args->SavesInProfile();
    Record(std::move(entry));
}

void TStandInWebView::WaitForReply(const std::string& uuid, ULONGLONG deadline) {
    const bool replied = FRepliedUuids.count(uuid) != 0;
    if (replied || ::GetTickCount64() > deadline) {
        if (!replied) Record({{"event", "waitReplyTimedOut"}, {"uuid", uuid}});
        RunNextStep();
        return;
    }
    Later([this, uuid, deadline] { WaitForReply(uuid, deadline); }, StepPollMs);
}

void TStandInWebView::WaitForFile(const std::wstring& path, ULONGLONG deadline) {
    if (FileExists(path) || ::GetTickCount64() > deadline) {
        RunNextStep();
        return;
    }
    Later([this, path, deadline] { WaitForFile(path, deadline); }, StepPollMs);
}

}  // namespace zorv::test
