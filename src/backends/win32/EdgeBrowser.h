#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "backends/win32/WebView2Abi.h"
#include "shared/Win32Handles.h"
#include "platform/WebView.h"
#include "shared/FailureSink.h"
#include "shared/LifetimeToken.h"

namespace zorv {

class TWinUiThread;

enum class TBrowserControlState { None, Creating, Created, Failed };
enum class TPreviewFormat { PNG, JPEG };

// An error of the web view control that carries the WebView2 result code.
class EEdgeError : public std::runtime_error {
public:
    EEdgeError(const std::string& message, HRESULT errorCode) : std::runtime_error(message), FErrorCode(errorCode) {}
    HRESULT ErrorCode() const { return FErrorCode; }

private:
    HRESULT FErrorCode;
};

// The WebView2 arguments of one event, held for the duration of the handler.
template <class I>
class TEdgeEventArgs {
public:
    explicit TEdgeEventArgs(I* args) : FArgsInterface(args) {}
    I* ArgsInterface() const { return FArgsInterface.Get(); }

private:
    TComPtr<I> FArgsInterface;
};
using TNavigationStartingEventArgs = TEdgeEventArgs<ICoreWebView2NavigationStartingEventArgs>;
using TNewWindowRequestedEventArgs = TEdgeEventArgs<ICoreWebView2NewWindowRequestedEventArgs>;
using TPermissionRequestedEventArgs = TEdgeEventArgs<ICoreWebView2PermissionRequestedEventArgs>;
using TScriptDialogOpeningEventArgs = TEdgeEventArgs<ICoreWebView2ScriptDialogOpeningEventArgs>;
using TWebMessageReceivedEventArgs = TEdgeEventArgs<ICoreWebView2WebMessageReceivedEventArgs>;
using TWebResourceRequestedEventArgs = TEdgeEventArgs<ICoreWebView2WebResourceRequestedEventArgs>;
using TDownloadStartingEventArgs = TEdgeEventArgs<ICoreWebView2DownloadStartingEventArgs>;

// Asks the top-level window whether a key pressed inside the page is one of its shortcuts (and
// runs it when it is). lParam points at the keyboard MSG; the window answers non-zero when the
// key was a shortcut.
constexpr UINT IsShortcutMessage = WM_APP + 0x5A2;

// A child window hosting one WebView2 web view. The environment is requested on a short-lived
// worker thread; the controller, the web view and every event live on the user-interface thread.
// Every WebView2 result is recorded in LastErrorCode; operations never throw, except the settings
// properties without a settings object.
class TEdgeBrowser final : public IWebView {
public:
    // Creates WebView2 environments; the default goes through the loader library.
    using TEnvironmentFactory = std::function<HRESULT(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*)>;

    explicit TEdgeBrowser(TWinUiThread& uiThread, TEnvironmentFactory environmentFactory = {});
    // A factory that asks `create` (the loader library when empty) for an environment once and
    // hands that environment to every later request of the process: a window made again must not
    // create a second environment while the first one's browser process is still exiting, which
    // WebView2 refuses. Requests made while the first is under way wait for its answer; a failed
    // creation is not kept, the next request tries again.
    static TEnvironmentFactory OneEnvironmentPerProcess(TEnvironmentFactory create);
    ~TEdgeBrowser() override;
    TEdgeBrowser(const TEdgeBrowser&) = delete;
    TEdgeBrowser& operator=(const TEdgeBrowser&) = delete;

    // Creates the control's window as a child of `parent` and starts creating the web view; a
    // second call re-creates the window, and an existing web view is re-initialised on it.
    void SetParent(HWND parent);
    HWND Handle() const { return FWindow.Get(); }
    void SetBounds(const RECT& bounds);
    void SetVisible(bool visible);

    // Operations.
    void CreateWebView();
    void Navigate(const std::string& url);
    void NavigateToString(const std::string& htmlContent);
    void ExecuteScript(const std::string& javaScript) override;
    // The same; `completed` gets WebView2's result code and the script's value as JSON text, at once
    // with a failure code when there is no web view to run it.
    void ExecuteScript(const std::string& javaScript, std::function<void(HRESULT, const std::string&)> completed);
    void PostWebMessageAsJson(const std::string& json) override;
    void GoBack();
    void GoForward();
    void Refresh();
    void Stop();
    void AddWebResourceRequestedFilter(const std::string& url, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context);
    // The same for requests of every source: the page, its frames of any origin (sandboxed ones
    // included) and its workers, where the runtime can (ICoreWebView2_22, runtime 122 and later).
    // False, and nothing added, when it cannot.
    bool AddWebResourceRequestedFilterForAllSources(const std::string& url, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context);
    void RemoveWebResourceRequestedFilter(const std::string& url, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context);
    void CapturePreview(const std::string& fileName, TPreviewFormat format);
    void CapturePreview(IStream* stream, TPreviewFormat format);
    void SubscribeToCDPEvent(const std::string& cdpEventName);
    void CloseWebView();
    void CloseBrowserProcess();
    void ReinitializeWebView();
    void ReinitializeWebViewWithNewBrowser();
    void SetFocus();
    // The top-level window's new size kind (WM_SIZE): minimised hides the web view, restored or
    // maximised shows it, however the window got there (the user, the page, the system).
    void FollowWindowSize(WPARAM sizeKind);
    // The top-level window has moved: the web view places its pop-ups (drop-down lists, input
    // method windows) anew.
    void NotifyParentWindowPositionChanged();

    // Properties.
    TBrowserControlState BrowserControlState() const { return FBrowserControlState; }
    ICoreWebView2* DefaultInterface() const { return FWebView.Get(); }
    ICoreWebView2Controller* ControllerInterface() const { return FWebViewController.Get(); }
    ICoreWebView2Environment* EnvironmentInterface() const { return FWebViewEnvironment.Get(); }
    ICoreWebView2Settings* SettingsInterface() const { return FWebViewSettings.Get(); }
    bool WebViewCreated() const;
    HRESULT LastErrorCode() const;
    const std::string& LastURL() const { return FLastURL; }
    void SetLastURL(const std::string& url) { FLastURL = url; }
    double SizeRatio() const { return FSizeRatio; }
    void SetSizeRatio(double ratio);
    double ZoomFactor() const;
    void SetZoomFactor(double factor);
    bool CanGoBack() const;
    bool CanGoForward() const;
    bool ContainsFullScreenElement() const;
    std::string DocumentTitle() const;
    std::string LocationURL() const;
    uint32_t BrowserProcessID() const;
    std::string BrowserVersionInfo() const;

    bool BuiltInErrorPageEnabled() const;
    void SetBuiltInErrorPageEnabled(bool value);
    bool DefaultContextMenusEnabled() const;
    void SetDefaultContextMenusEnabled(bool value);
    bool DefaultScriptDialogsEnabled() const;
    void SetDefaultScriptDialogsEnabled(bool value);
    bool DevToolsEnabled() const;
    void SetDevToolsEnabled(bool value);
    bool ScriptEnabled() const;
    void SetScriptEnabled(bool value);
    bool StatusBarEnabled() const;
    void SetStatusBarEnabled(bool value);
    bool WebMessageEnabled() const;
    void SetWebMessageEnabled(bool value);
    bool ZoomControlEnabled() const;
    void SetZoomControlEnabled(bool value);

    // Events; each is called with the control first.
    std::function<void(TEdgeBrowser&, HRESULT)> OnCreateWebViewCompleted;
    std::function<void(TEdgeBrowser&, HRESULT)> OnCapturePreviewCompleted;
    std::function<void(TEdgeBrowser&, TNavigationStartingEventArgs&)> OnNavigationStarting;
    std::function<void(TEdgeBrowser&, TNavigationStartingEventArgs&)> OnFrameNavigationStarting;
    std::function<void(TEdgeBrowser&, bool, COREWEBVIEW2_WEB_ERROR_STATUS)> OnNavigationCompleted;
    std::function<void(TEdgeBrowser&, bool, COREWEBVIEW2_WEB_ERROR_STATUS)> OnFrameNavigationCompleted;
    std::function<void(TEdgeBrowser&, bool)> OnSourceChanged;
    std::function<void(TEdgeBrowser&)> OnHistoryChanged;
    std::function<void(TEdgeBrowser&, bool, uint64_t)> OnContentLoading;
    std::function<void(TEdgeBrowser&, const std::string&)> OnDocumentTitleChanged;
    std::function<void(TEdgeBrowser&, TNewWindowRequestedEventArgs&)> OnNewWindowRequested;
    std::function<void(TEdgeBrowser&, TWebResourceRequestedEventArgs&)> OnWebResourceRequested;
    std::function<void(TEdgeBrowser&, TScriptDialogOpeningEventArgs&)> OnScriptDialogOpening;
    std::function<void(TEdgeBrowser&, TPermissionRequestedEventArgs&)> OnPermissionRequested;
    // Set before the web view is made: downloads are then the handler's (ICoreWebView2_4, runtime
    // 92 and later); an older runtime keeps its own handling, which is said once in the failure
    // sink.
    std::function<void(TEdgeBrowser&, TDownloadStartingEventArgs&)> OnDownloadStarting;
    std::function<void(TEdgeBrowser&, COREWEBVIEW2_PROCESS_FAILED_KIND)> OnProcessFailed;
    std::function<void(TEdgeBrowser&, TWebMessageReceivedEventArgs&)> OnWebMessageReceived;
    std::function<void(TEdgeBrowser&, bool)> OnContainsFullScreenElementChanged;
    std::function<void(TEdgeBrowser&)> OnWindowCloseRequested;
    std::function<void(TEdgeBrowser&, double)> OnZoomFactorChanged;
    std::function<void(TEdgeBrowser&, HRESULT, const std::string&)> OnExecuteScript;
    std::function<void(TEdgeBrowser&, const std::string&, const std::string&)> OnDevToolsProtocolEventReceived;
    std::function<void(TEdgeBrowser&)> OnEnter;
    std::function<void(TEdgeBrowser&)> OnExit;

private:
    // What the worker thread and WebView2's completion threads share with the control; it outlives
    // the control when a creation is still under way at destruction.
    struct TShared {
        mutable std::mutex critSec;  // guards lastErrorCode
        HRESULT lastErrorCode = S_OK;
    };
    struct TTokens;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControlWindow(HWND parent);

    // Keeps the result for LastErrorCode; a failure also goes to the failure sink, with the place
    // of the call that got it.
    static bool RecordResult(TShared& shared, HRESULT result, const TSourcePlace& where = TSourcePlace::current());
    bool ProcessHResult(HRESULT result, const TSourcePlace& where = TSourcePlace::current()) {
        return RecordResult(*FShared, result, where);
    }
    void InitializeWebView();
    void CreateEnvironmentCompleted(HRESULT result, ICoreWebView2Environment* environment);
    void CreateCoreWebView2ControllerCompleted(HRESULT result, ICoreWebView2Controller* controller);
    void RaiseCreateWebViewCompleted(HRESULT result);
    void ReportCreationFailure();
    void RegisterEventHandlers();
    void SubscribeToDownloads();
    void ResizeWebView();
    void HandleAcceleratorKey(ICoreWebView2AcceleratorKeyPressedEventArgs* args);
    void HandleMoveFocusRequested(ICoreWebView2MoveFocusRequestedEventArgs* args);
    void DoEnter();
    bool ReadSetting(HRESULT (STDMETHODCALLTYPE ICoreWebView2Settings::*getter)(BOOL*)) const;
    void WriteSetting(HRESULT (STDMETHODCALLTYPE ICoreWebView2Settings::*setter)(BOOL), bool value);

    TWinUiThread& FUiThread;
    TEnvironmentFactory FEnvironmentFactory;
    std::shared_ptr<TShared> FShared;
    // Expired first thing at destruction: completions that arrive later (on the user-interface
    // thread) do nothing.
    TLifetimeToken FLifetime;
    TWindowHandle FWindow;
    TBrowserControlState FBrowserControlState = TBrowserControlState::None;
    TComPtr<ICoreWebView2Environment> FWebViewEnvironment;
    TComPtr<ICoreWebView2Controller> FWebViewController;
    TComPtr<ICoreWebView2> FWebView;
    TComPtr<ICoreWebView2Settings> FWebViewSettings;
    double FSizeRatio = 1.0;
    bool FWebViewFocusEventActive = false;
    std::string FLastURL;
    std::unique_ptr<TTokens> FTokens;
    std::map<std::string, EventRegistrationToken> FDevToolsProtocolEventReceivedTokenMap;
};

}  // namespace zorv
