#pragma once
// In-process stand-ins for the WebView2 objects the web view control and the page host talk to.
// They record what they are asked and let a test raise events through the handlers that were
// registered with them.

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "WebView2NotImplemented.h"
#include "backends/win32/EdgeBrowser.h"
#include "shared/Win32Handles.h"

namespace zorv::test {

// A copy of the text in memory that the receiver frees with CoTaskMemFree, as WebView2 hands out.
LPWSTR CoTaskCopy(const std::wstring& text);

// Event registrations by event name and token, like WebView2 keeps them.
class TEventTable {
public:
    HRESULT Add(const std::string& name, IUnknown* handler, EventRegistrationToken* token);
    HRESULT Remove(const std::string& name, EventRegistrationToken token);
    std::size_t Count(const std::string& name) const;
    std::size_t Total() const;
    // Removals with a token that names no registration of that event.
    int WrongRemovals() const { return FWrongRemovals; }
    template <class H>
    H* Handler(const std::string& name) const {
        auto event = FHandlers.find(name);
        if (event == FHandlers.end() || event->second.empty()) return nullptr;
        return static_cast<H*>(event->second.begin()->second.Get());
    }

private:
    std::map<std::string, std::map<INT64, TComPtr<IUnknown>>> FHandlers;
    INT64 FNextToken = 1000;
    int FWrongRemovals = 0;
};

#define ZORV_FAKE_EVENT(Name, HandlerType)                                                               \
    HRESULT STDMETHODCALLTYPE add_##Name(HandlerType* handler, EventRegistrationToken* token) override { \
        return events.Add(#Name, handler, token);                                                        \
    }                                                                                                    \
    HRESULT STDMETHODCALLTYPE remove_##Name(EventRegistrationToken token) override {                     \
        return events.Remove(#Name, token);                                                              \
    }

class TFakeSettings final : public TNotImplementedSettings {
public:
    std::vector<std::pair<std::string, BOOL>> puts;  // in call order
#define ZORV_FAKE_SETTING(Name)                                  \
    HRESULT STDMETHODCALLTYPE get_##Name(BOOL* value) override { \
        *value = Last(#Name);                                    \
        return S_OK;                                             \
    }                                                            \
    HRESULT STDMETHODCALLTYPE put_##Name(BOOL value) override {  \
        puts.emplace_back(#Name, value);                         \
        return S_OK;                                             \
    }
    ZORV_FAKE_SETTING(IsScriptEnabled)
    ZORV_FAKE_SETTING(IsWebMessageEnabled)
    ZORV_FAKE_SETTING(AreDefaultScriptDialogsEnabled)
    ZORV_FAKE_SETTING(IsStatusBarEnabled)
    ZORV_FAKE_SETTING(AreDevToolsEnabled)
    ZORV_FAKE_SETTING(AreDefaultContextMenusEnabled)
    ZORV_FAKE_SETTING(IsZoomControlEnabled)
    ZORV_FAKE_SETTING(IsBuiltInErrorPageEnabled)
#undef ZORV_FAKE_SETTING
    BOOL Last(const std::string& name) const {
        for (auto it = puts.rbegin(); it != puts.rend(); ++it)
            if (it->first == name) return it->second;
        return TRUE;
    }
};

class TFakeDevToolsReceiver final : public TNotImplementedDevToolsProtocolEventReceiver {
public:
    TEventTable events;
    ZORV_FAKE_EVENT(DevToolsProtocolEventReceived, ICoreWebView2DevToolsProtocolEventReceivedEventHandler)
};

// A web view of a current runtime (with ICoreWebView2_22) unless `laterInterfaces` is false.
class TFakeWebView final : public TNotImplementedWebView22 {
public:
    TFakeWebView();
    bool laterInterfaces = true;
    bool OffersLaterInterfaces() const override { return laterInterfaces; }
    bool downloadEvents = true;  // ICoreWebView2_4
    bool OffersDownloadEvents() const override { return downloadEvents; }
    TEventTable events;
    TComPtr<TFakeSettings> settings;
    std::map<std::wstring, TComPtr<TFakeDevToolsReceiver>> devTools;
    std::vector<std::wstring> navigations, documentScripts, executedScripts, postedJson;
    std::vector<std::pair<std::wstring, int>> filters;
    // Filters added with request source kinds: pattern, context, kinds.
    std::vector<std::tuple<std::wstring, int, UINT32>> sourceKindFilters;
    // What ExecuteScript gives for a script; "null" for any other.
    std::map<std::wstring, std::wstring> scriptResults;
    std::wstring source = L"about:blank";
    std::wstring title;
    BOOL fullScreen = FALSE;

    HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** value) override;
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override;
    HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override;
    HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR script, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler*) override;
    HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR script,
                                            ICoreWebView2ExecuteScriptCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR json) override;
    HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(LPCWSTR const uri,
                                                            COREWEBVIEW2_WEB_RESOURCE_CONTEXT const context) override;
    HRESULT STDMETHODCALLTYPE
    AddWebResourceRequestedFilterWithRequestSourceKinds(LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context,
                                                        COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS kinds) override {
        sourceKindFilters.emplace_back(uri, context, static_cast<UINT32>(kinds));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetDevToolsProtocolEventReceiver(LPCWSTR name, ICoreWebView2DevToolsProtocolEventReceiver** value) override;
    ZORV_FAKE_EVENT(NavigationStarting, ICoreWebView2NavigationStartingEventHandler)
    ZORV_FAKE_EVENT(ContentLoading, ICoreWebView2ContentLoadingEventHandler)
    ZORV_FAKE_EVENT(SourceChanged, ICoreWebView2SourceChangedEventHandler)
    ZORV_FAKE_EVENT(HistoryChanged, ICoreWebView2HistoryChangedEventHandler)
    ZORV_FAKE_EVENT(NavigationCompleted, ICoreWebView2NavigationCompletedEventHandler)
    ZORV_FAKE_EVENT(FrameNavigationStarting, ICoreWebView2NavigationStartingEventHandler)
    ZORV_FAKE_EVENT(FrameNavigationCompleted, ICoreWebView2NavigationCompletedEventHandler)
    ZORV_FAKE_EVENT(ScriptDialogOpening, ICoreWebView2ScriptDialogOpeningEventHandler)
    ZORV_FAKE_EVENT(PermissionRequested, ICoreWebView2PermissionRequestedEventHandler)
    ZORV_FAKE_EVENT(ProcessFailed, ICoreWebView2ProcessFailedEventHandler)
    ZORV_FAKE_EVENT(WebMessageReceived, ICoreWebView2WebMessageReceivedEventHandler)
    ZORV_FAKE_EVENT(NewWindowRequested, ICoreWebView2NewWindowRequestedEventHandler)
    ZORV_FAKE_EVENT(DocumentTitleChanged, ICoreWebView2DocumentTitleChangedEventHandler)
    ZORV_FAKE_EVENT(ContainsFullScreenElementChanged, ICoreWebView2ContainsFullScreenElementChangedEventHandler)
    ZORV_FAKE_EVENT(WebResourceRequested, ICoreWebView2WebResourceRequestedEventHandler)
    ZORV_FAKE_EVENT(WindowCloseRequested, ICoreWebView2WindowCloseRequestedEventHandler)
    ZORV_FAKE_EVENT(DownloadStarting, ICoreWebView2DownloadStartingEventHandler)
};

class TFakeController final : public TNotImplementedController {
public:
    TFakeController();
    TEventTable events;
    TComPtr<TFakeWebView> webView;
    HRESULT webViewResult = S_OK;
    RECT bounds{};
    BOOL visible = TRUE;
    bool closed = false;
    int programmaticFocusMoves = 0;

    HRESULT STDMETHODCALLTYPE put_Bounds(RECT value) override;
    HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* value) override;
    HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) override;
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** value) override;
    ZORV_FAKE_EVENT(ZoomFactorChanged, ICoreWebView2ZoomFactorChangedEventHandler)
    ZORV_FAKE_EVENT(MoveFocusRequested, ICoreWebView2MoveFocusRequestedEventHandler)
    ZORV_FAKE_EVENT(GotFocus, ICoreWebView2FocusChangedEventHandler)
    ZORV_FAKE_EVENT(LostFocus, ICoreWebView2FocusChangedEventHandler)
    ZORV_FAKE_EVENT(AcceleratorKeyPressed, ICoreWebView2AcceleratorKeyPressedEventHandler)
};

class TFakeResponse final : public TNotImplementedWebResourceResponse {
public:
    std::string content;
    int status = 0;
    std::wstring reason, headers;
};

class TFakeEnvironment final : public TNotImplementedEnvironment {
public:
    TFakeEnvironment();
    TComPtr<TFakeController> controller;
    HRESULT controllerResult = S_OK;
    HWND parentWindow = nullptr;
    int controllersRequested = 0;

    HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                                        LPCWSTR headers,
                                                        ICoreWebView2WebResourceResponse** response) override;
    HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* value) override;
};

// Request headers by exact name.
class TFakeRequestHeaders final : public TComObject<ICoreWebView2HttpRequestHeaders> {
public:
    explicit TFakeRequestHeaders(std::map<std::wstring, std::wstring> headers) : FHeaders(std::move(headers)) {}
    HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) override {
        const auto found = FHeaders.find(name);
        if (found == FHeaders.end()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        *value = CoTaskCopy(found->second);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetHeaders(LPCWSTR, ICoreWebView2HttpHeadersCollectionIterator**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* contains) override {
        *contains = FHeaders.count(name) ? TRUE : FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHeader(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveHeader(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIterator(ICoreWebView2HttpHeadersCollectionIterator**) override { return E_NOTIMPL; }

private:
    std::map<std::wstring, std::wstring> FHeaders;
};

class TFakeRequest final : public TNotImplementedWebResourceRequest {
public:
    explicit TFakeRequest(std::wstring uri, std::map<std::wstring, std::wstring> headers = {})
        : FUri(std::move(uri)), FHeaders(MakeFakeHeaders(std::move(headers))) {}
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override {
        *uri = CoTaskCopy(FUri);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders** headers) override {
        *headers = FHeaders.Get();
        FHeaders->AddRef();
        return S_OK;
    }

private:
    static TComPtr<TFakeRequestHeaders> MakeFakeHeaders(std::map<std::wstring, std::wstring> headers) {
        return TComPtr<TFakeRequestHeaders>::Attach(new TFakeRequestHeaders(std::move(headers)));
    }
    std::wstring FUri;
    TComPtr<TFakeRequestHeaders> FHeaders;
};

class TFakeResourceRequestedArgs final : public TNotImplementedWebResourceRequestedEventArgs {
public:
    explicit TFakeResourceRequestedArgs(const std::wstring& uri, std::map<std::wstring, std::wstring> headers = {})
        : request(TComPtr<TFakeRequest>::Attach(new TFakeRequest(uri, std::move(headers)))) {}
    TComPtr<TFakeRequest> request;
    TComPtr<ICoreWebView2WebResourceResponse> response;
    HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** value) override {
        *value = request.Get();
        request->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* value) override {
        response = TComPtr<ICoreWebView2WebResourceResponse>(value);
        return S_OK;
    }
    TFakeResponse* Response() const { return static_cast<TFakeResponse*>(response.Get()); }
};

class TFakeNewWindowArgs final : public TNotImplementedNewWindowRequestedEventArgs {
public:
    explicit TFakeNewWindowArgs(std::wstring uri) : FUri(std::move(uri)) {}
    BOOL handled = FALSE;
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override {
        *uri = CoTaskCopy(FUri);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override {
        handled = value;
        return S_OK;
    }

private:
    std::wstring FUri;
};

// The arguments of a current runtime (with SavesInProfile) unless `laterInterfaces` is false.
class TFakePermissionArgs final : public TNotImplementedPermissionRequestedEventArgs3 {
public:
    explicit TFakePermissionArgs(std::wstring uri = L"file:///index.html", bool laterInterfaces = true)
        : FUri(std::move(uri)), FLaterInterfaces(laterInterfaces) {}
    COREWEBVIEW2_PERMISSION_STATE state = COREWEBVIEW2_PERMISSION_STATE_DEFAULT;
    BOOL savesInProfile = TRUE;
    bool OffersSavesInProfile() const override { return FLaterInterfaces; }
    HRESULT STDMETHODCALLTYPE put_SavesInProfile(BOOL value) override {
        savesInProfile = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override { return *value = CoTaskCopy(FUri), S_OK; }
    HRESULT STDMETHODCALLTYPE put_State(COREWEBVIEW2_PERMISSION_STATE value) override {
        state = value;
        return S_OK;
    }

private:
    std::wstring FUri;
    bool FLaterInterfaces;
};

class TFakeNavigationStartingArgs final : public TComObject<ICoreWebView2NavigationStartingEventArgs> {
public:
    explicit TFakeNavigationStartingArgs(std::wstring uri) : FUri(std::move(uri)) {}
    BOOL cancel = FALSE;
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override { return *value = CoTaskCopy(FUri), S_OK; }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override { return *value = FALSE, S_OK; }
    HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* value) override { return *value = FALSE, S_OK; }
    HRESULT STDMETHODCALLTYPE get_RequestHeaders(ICoreWebView2HttpRequestHeaders**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) override { return *value = cancel, S_OK; }
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) override { return cancel = value, S_OK; }
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) override { return *value = 1, S_OK; }

private:
    std::wstring FUri;
};

class TFakeContentLoadingArgs final : public TComObject<ICoreWebView2ContentLoadingEventArgs> {
public:
    HRESULT STDMETHODCALLTYPE get_IsErrorPage(BOOL* value) override { return *value = FALSE, S_OK; }
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) override { return *value = 1, S_OK; }
};

class TFakeNavigationCompletedArgs final : public TComObject<ICoreWebView2NavigationCompletedEventArgs> {
public:
    explicit TFakeNavigationCompletedArgs(
        bool success = false, COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_ABORTED)
        : FSuccess(success), FStatus(status) {}
    HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* value) override {
        *value = FSuccess ? TRUE : FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* value) override {
        *value = FSuccess ? COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN : FStatus;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) override {
        *value = 1;
        return S_OK;
    }

private:
    bool FSuccess;
    COREWEBVIEW2_WEB_ERROR_STATUS FStatus;
};

class TFakeAcceleratorArgs final : public TNotImplementedAcceleratorKeyPressedEventArgs {
public:
    TFakeAcceleratorArgs(COREWEBVIEW2_KEY_EVENT_KIND kind, UINT key) : FKind(kind), FKey(key) {}
    BOOL handled = FALSE;
    HRESULT STDMETHODCALLTYPE get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* value) override {
        *value = FKind;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_VirtualKey(UINT* value) override {
        *value = FKey;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_KeyEventLParam(INT* value) override {
        *value = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override {
        handled = value;
        return S_OK;
    }

private:
    COREWEBVIEW2_KEY_EVENT_KIND FKind;
    UINT FKey;
};

template <class T, class... Args>
TComPtr<T> MakeFake(Args&&... args) {
    return TComPtr<T>::Attach(new T(std::forward<Args>(args)...));
}

// An environment factory that hands out `environment`, or fails with `result`.
TEdgeBrowser::TEnvironmentFactory FactoryFor(TComPtr<TFakeEnvironment> environment, HRESULT result = S_OK);
// Runs the thread's messages until `done` is true or the time is up; answers `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// A top-level window for controls to live in, destroyed with the object.
class TTestWindow {
public:
    TTestWindow(int width = 400, int height = 300);
    HWND Handle() const { return FWindow.Get(); }

private:
    TWindowHandle FWindow;
};

}  // namespace zorv::test
