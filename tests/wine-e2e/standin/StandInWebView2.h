#pragma once
// The WebView2 objects the runtime talks to, played by the test: an environment, a controller and
// a web view that "loads" pages by asking the runtime for every resource, and a page that posts
// the web messages of the scenario. Everything observable is written to the transcript.

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "EngineWebView.h"
#include "WebView2NotImplemented.h"
#include "shared/Win32Handles.h"

namespace zorv::test {

LPWSTR CoTaskCopy(const std::wstring& text);
class TStandInDownloadArgs;

// WebView2's objects answer only on the thread that made them; a call from another thread is
// recorded ("wrongThread") and refused with RPC_E_WRONG_THREAD. The environment is exempt: it may
// be used from other user-interface threads.
class TThreadAffinity {
public:
    explicit TThreadAffinity(const char* objectName) : FThread(::GetCurrentThreadId()), FObjectName(objectName) {}
    bool WrongThread(const char* method) const;

private:
    DWORD FThread;
    const char* FObjectName;
};
#define ZORV_STANDIN_OWN_THREAD() \
    if (FAffinity.WrongThread(__func__)) return RPC_E_WRONG_THREAD

// A browser process exits once the last web view of its environment is closed, and WebView2
// cannot start another on the user data folder while that one is still exiting: a process whose
// every web view so far has been closed and that asks for a new environment at once is refused
// (the stand-in's browser never finishes exiting within a run).
class TStandInEnvironment final : public TNotImplementedEnvironment {
public:
    // Whether the process made web views and has closed them all.
    static bool PreviousBrowserExiting();
    // Counted by the controllers.
    static void WebViewMade();
    static void WebViewClosed();
    HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                                        LPCWSTR headers,
                                                        ICoreWebView2WebResourceResponse** response) override;
    HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* versionInfo) override;
    HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(ICoreWebView2NewBrowserVersionAvailableEventHandler*,
                                                             EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(EventRegistrationToken) override { return S_OK; }
};

class TStandInSettings final : public TNotImplementedSettings {
public:
#define ZORV_STANDIN_SETTING(Name)                               \
    HRESULT STDMETHODCALLTYPE get_##Name(BOOL* value) override { \
        ZORV_STANDIN_OWN_THREAD();                               \
        if (!value) return E_POINTER;                            \
        *value = FValues[#Name];                                 \
        return S_OK;                                             \
    }                                                            \
    HRESULT STDMETHODCALLTYPE put_##Name(BOOL value) override { return Put(#Name, value); }
    ZORV_STANDIN_SETTING(IsScriptEnabled)
    ZORV_STANDIN_SETTING(IsWebMessageEnabled)
    ZORV_STANDIN_SETTING(AreDefaultScriptDialogsEnabled)
    ZORV_STANDIN_SETTING(IsStatusBarEnabled)
    ZORV_STANDIN_SETTING(AreDevToolsEnabled)
    ZORV_STANDIN_SETTING(AreDefaultContextMenusEnabled)
    ZORV_STANDIN_SETTING(AreHostObjectsAllowed)
    ZORV_STANDIN_SETTING(IsZoomControlEnabled)
    ZORV_STANDIN_SETTING(IsBuiltInErrorPageEnabled)
#undef ZORV_STANDIN_SETTING

private:
    friend class TEngineWebView;
    HRESULT Put(const char* name, BOOL value);
    TThreadAffinity FAffinity{"settings"};
    std::map<std::string, BOOL> FValues;
};

// The web view and the page it shows. It reports every navigation's URL in Chromium's canonical
// form, whatever form it was asked for in; it offers ICoreWebView2_22 unless the scenario's runtime
// lacks it.
// The menu bar's items as the process that owns them sees them (Wine keeps a menu's items inside
// its own process, so another program cannot read them): text, id, grayed, bitmap and submenu.
nlohmann::json MenuBarItems(HMENU menu);

class TStandInWebView final : public TNotImplementedWebView22 {
public:
    TStandInWebView(TComPtr<ICoreWebView2Environment> environment, HWND parentWindow);
    bool OffersLaterInterfaces() const override;
    bool OffersDownloadEvents() const override;

    void SetParentWindow(HWND parent) { FParentWindow = parent; }
    // The controller's completion hands the web view over; from then until Close it takes calls.
    void MarkCreated() { FCreated = true; }
    void Close();
    // The real engine behind this web view, null in the scripted mode.
    TEngineWebView* Engine() const { return FEngine.get(); }

    HRESULT STDMETHODCALLTYPE CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format, IStream* stream,
                                             ICoreWebView2CapturePreviewCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override;
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override;
    HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override;
    HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR javaScript,
                                            ICoreWebView2ExecuteScriptCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) override;
    HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) override;
    HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(BOOL* contains) override;
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(LPCWSTR const uri,
                                                            COREWEBVIEW2_WEB_RESOURCE_CONTEXT const context) override;
    HRESULT STDMETHODCALLTYPE
    RemoveWebResourceRequestedFilter(LPCWSTR const uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT const context) override;
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilterWithRequestSourceKinds(
        LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context,
        COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS sourceKinds) override;
    HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilterWithRequestSourceKinds(
        LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context,
        COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS sourceKinds) override;
    HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() override;
    HRESULT STDMETHODCALLTYPE Reload() override;
    HRESULT STDMETHODCALLTYPE Stop() override {
        ZORV_STANDIN_OWN_THREAD();
        return S_OK;
    }

#define ZORV_STANDIN_EVENT(Name, HandlerType)                                                            \
    HRESULT STDMETHODCALLTYPE add_##Name(HandlerType* handler, EventRegistrationToken* token) override { \
        ZORV_STANDIN_OWN_THREAD();                                                                       \
        return AddHandler(#Name, handler, token);                                                        \
    }                                                                                                    \
    HRESULT STDMETHODCALLTYPE remove_##Name(EventRegistrationToken token) override {                     \
        ZORV_STANDIN_OWN_THREAD();                                                                       \
        return RemoveHandler(#Name, token);                                                              \
    }
    ZORV_STANDIN_EVENT(NavigationStarting, ICoreWebView2NavigationStartingEventHandler)
    ZORV_STANDIN_EVENT(ContentLoading, ICoreWebView2ContentLoadingEventHandler)
    ZORV_STANDIN_EVENT(SourceChanged, ICoreWebView2SourceChangedEventHandler)
    ZORV_STANDIN_EVENT(HistoryChanged, ICoreWebView2HistoryChangedEventHandler)
    ZORV_STANDIN_EVENT(NavigationCompleted, ICoreWebView2NavigationCompletedEventHandler)
    ZORV_STANDIN_EVENT(FrameNavigationStarting, ICoreWebView2NavigationStartingEventHandler)
    ZORV_STANDIN_EVENT(FrameNavigationCompleted, ICoreWebView2NavigationCompletedEventHandler)
    ZORV_STANDIN_EVENT(ScriptDialogOpening, ICoreWebView2ScriptDialogOpeningEventHandler)
    ZORV_STANDIN_EVENT(PermissionRequested, ICoreWebView2PermissionRequestedEventHandler)
    ZORV_STANDIN_EVENT(ProcessFailed, ICoreWebView2ProcessFailedEventHandler)
    ZORV_STANDIN_EVENT(WebMessageReceived, ICoreWebView2WebMessageReceivedEventHandler)
    ZORV_STANDIN_EVENT(NewWindowRequested, ICoreWebView2NewWindowRequestedEventHandler)
    ZORV_STANDIN_EVENT(DocumentTitleChanged, ICoreWebView2DocumentTitleChangedEventHandler)
    ZORV_STANDIN_EVENT(ContainsFullScreenElementChanged, ICoreWebView2ContainsFullScreenElementChangedEventHandler)
    ZORV_STANDIN_EVENT(WebResourceRequested, ICoreWebView2WebResourceRequestedEventHandler)
    ZORV_STANDIN_EVENT(WindowCloseRequested, ICoreWebView2WindowCloseRequestedEventHandler)
    ZORV_STANDIN_EVENT(DownloadStarting, ICoreWebView2DownloadStartingEventHandler)
#undef ZORV_STANDIN_EVENT

private:
    friend class TEngineWebView;
    // What the browser shows: a document that runs scripts, its error page for a document it could
    // not load, or its PDF viewer; the last two run no script, neither the page's nor the host's.
    enum class TPage { Blank, Document, ErrorPage, Pdf };
    // How the runtime answered a resource request.
    struct TAnswer {
        bool answered = false;
        std::string headers;
    };
    // A web resource filter: the URI pattern, and the request sources it sees (none given: the
    // deprecated filter, which sees the main frame and frames of its origin only).
    struct TFilter {
        std::string uri;
        std::optional<UINT32> sourceKinds;
    };

    HRESULT AddHandler(const char* event, IUnknown* handler, EventRegistrationToken* token);
    HRESULT RemoveHandler(const char* event, EventRegistrationToken token);
    template <class Handler, class Args>
    void Raise(const char* event, Args* args);

    // Runs `work` later on the UI thread, keeping this object alive until then.
    void Later(std::function<void()> work, DWORD delayMs = 0);
    void LoadPage(const std::string& uri);
    // `request` is the URL, or {"uri": URL, "headers": {name: value}} for a request with headers.
    TAnswer RequestResource(const nlohmann::json& request, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context);
    TPage PageFor(const std::string& uri, const TAnswer& answer) const;
    bool ScriptsRun() const { return FPage == TPage::Document; }
    // The value a script gives in the page, as JSON; only "typeof window.NAME" is understood.
    std::string ScriptResult(const std::string& script) const;
    // Recorded ("refused") and failed as WebView2 fails them: before the web view is handed over
    // and after it is closed.
    HRESULT RefuseUnlessOpen(const char* method) const;
    // Whether a filter sees the request for `uri` from that source ("document", "otherOriginFrame",
    // "sandboxedFrame", "sharedWorker", "serviceWorker").
    bool FilterMatches(const std::string& uri, const std::string& source) const;
    // A permission request of the page (or of `step`'s "uri"): answered from the profile when a
    // decision for its origin and kind was saved there, else raised, and saved unless the
    // runtime said not to.
    void RequestPermission(const nlohmann::json& step);
    // A new window asked for by the page; records whether the runtime started a process while the
    // event ran.
    void RequestNewWindow(const std::string& uri);
    // A process of the web view fails ({"processFailed": KIND}): the page it showed is gone, and
    // after the browser process a reload is refused.
    void FailProcess(COREWEBVIEW2_PROCESS_FAILED_KIND kind);
    void PostPageMessage(const nlohmann::json& step);
    // A download the page starts ({"download": URL, "resultFilePath": PATH}, the path the browser
    // would save to); recorded once decided, and the file written unless cancelled. The steps go
    // on once the download is decided.
    void StartDownload(const nlohmann::json& step);
    void FinishDownload(TComPtr<TStandInDownloadArgs> args, const std::string& uri, bool raised, ULONGLONG deadline);
    void RunNextStep();
    // Runs one step; false when the step continues the sequence itself (waits).
    bool RunStep(const nlohmann::json& step);
    // Waits until the runtime has answered the call with that uuid.
    void WaitForReply(const std::string& uuid, ULONGLONG deadline);
    void WaitForFile(const std::wstring& path, ULONGLONG deadline);

    TComPtr<ICoreWebView2Environment> FEnvironment;
    TComPtr<ICoreWebView2Settings> FSettings;
    TThreadAffinity FAffinity{"webView"};
    HWND FParentWindow;
    HWND FQueue;  // the UI thread's delivery window
    // 1 for the process's first web view; more when the runtime makes its window again.
    const int FViewNumber;
    bool FCreated = false;
    bool FClosed = false;
    bool FBrowserGone = false;
    TPage FPage = TPage::Blank;
    std::vector<std::string> FDocumentScripts;
    bool FStepsStarted = false;
    std::size_t FNextStep = 0;
    const nlohmann::json* FSteps = nullptr;
    std::string FSource;
    std::string FTitle;
    BOOL FFullScreenElement = FALSE;
    UINT64 FNavigationId = 0;
    std::set<std::string> FRepliedUuids;
    std::vector<TFilter> FFilters;
    std::map<std::string, std::vector<std::pair<INT64, TComPtr<IUnknown>>>> FHandlers;
    INT64 FNextToken = 1;
    std::unique_ptr<TEngineWebView> FEngine;
};

class TStandInController final : public TNotImplementedController {
public:
    TStandInController(TComPtr<ICoreWebView2Environment> environment, HWND parentWindow);

    HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) override;
    HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) override;
    HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) override;
    HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override;
    HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* zoomFactor) override;
    HRESULT STDMETHODCALLTYPE put_ZoomFactor(double zoomFactor) override;
    HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) override;
    HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON) override {
        ZORV_STANDIN_OWN_THREAD();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) override;
    HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parentWindow) override;
    HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override {
        ZORV_STANDIN_OWN_THREAD();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) override;
    void MarkCreated() { FWebView->MarkCreated(); }
    TEngineWebView* Engine() const { return FWebView->Engine(); }

#define ZORV_STANDIN_CONTROLLER_EVENT(Name, HandlerType)                                         \
    HRESULT STDMETHODCALLTYPE add_##Name(HandlerType*, EventRegistrationToken* token) override { \
        ZORV_STANDIN_OWN_THREAD();                                                               \
        if (token) token->value = ++FNextToken;                                                  \
        return S_OK;                                                                             \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE remove_##Name(EventRegistrationToken) override {                   \
        ZORV_STANDIN_OWN_THREAD();                                                               \
        return S_OK;                                                                             \
    }
    ZORV_STANDIN_CONTROLLER_EVENT(ZoomFactorChanged, ICoreWebView2ZoomFactorChangedEventHandler)
    ZORV_STANDIN_CONTROLLER_EVENT(MoveFocusRequested, ICoreWebView2MoveFocusRequestedEventHandler)
    ZORV_STANDIN_CONTROLLER_EVENT(GotFocus, ICoreWebView2FocusChangedEventHandler)
    ZORV_STANDIN_CONTROLLER_EVENT(LostFocus, ICoreWebView2FocusChangedEventHandler)
    ZORV_STANDIN_CONTROLLER_EVENT(AcceleratorKeyPressed, ICoreWebView2AcceleratorKeyPressedEventHandler)
#undef ZORV_STANDIN_CONTROLLER_EVENT

private:
    TThreadAffinity FAffinity{"controller"};
    TComPtr<TStandInWebView> FWebView;
    HWND FParentWindow;
    BOOL FVisible = TRUE;
    RECT FBounds{};
    double FZoomFactor = 1.0;
    INT64 FNextToken = 0;
    bool FClosed = false;
};

}  // namespace zorv::test
