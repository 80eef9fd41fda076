#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "backends/win32/WebView2Abi.h"
#include "platform/WebView.h"
#include "shared/FailureSink.h"
#include "shared/LifetimeToken.h"
#include "shared/Win32Handles.h"

namespace zorv {

class TWinUiThread;

enum class TBrowserControlState { None, Creating, Created, Failed };

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
using TWebMessageReceivedEventArgs = TEdgeEventArgs<ICoreWebView2WebMessageReceivedEventArgs>;
using TWebResourceRequestedEventArgs = TEdgeEventArgs<ICoreWebView2WebResourceRequestedEventArgs>;
using TDownloadStartingEventArgs = TEdgeEventArgs<ICoreWebView2DownloadStartingEventArgs>;

// Asks the top-level window whether a key pressed inside the page is one of its shortcuts (and
// runs it when it is). lParam points at the keyboard MSG; the window answers non-zero when the
// key was a shortcut.
constexpr UINT IsShortcutMessage = WM_APP + 0x5A2;

// A child window hosting one WebView2 web view. The environment is requested on a short-lived
// worker thread; the controller, the web view and every event live on the user-interface thread.
// Every WebView2 result is recorded in LastErrorCode; operations never throw.
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

    // Operations.
    void CreateWebView();
    // Removes every event registration and closes the web view.
    void CloseWebView();
    void Navigate(const std::string& url);
    void ExecuteScript(const std::string& javaScript) override;
    // The same; `completed` gets WebView2's result code and the script's value as JSON text, at once
    // with a failure code when there is no web view to run it.
    void ExecuteScript(const std::string& javaScript, std::function<void(HRESULT, const std::string&)> completed);
    void PostWebMessageAsJson(const std::string& json) override;
    void AddWebResourceRequestedFilter(const std::string& url, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context);
    // The same for requests of every source: the page, its frames of any origin (sandboxed ones
    // included) and its workers, where the runtime can (ICoreWebView2_22, runtime 122 and later).
    // False, and nothing added, when it cannot.
    bool AddWebResourceRequestedFilterForAllSources(const std::string& url, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context);
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
    ICoreWebView2Environment* EnvironmentInterface() const { return FWebViewEnvironment.Get(); }
    ICoreWebView2Settings* SettingsInterface() const { return FWebViewSettings.Get(); }
    bool WebViewCreated() const;
    HRESULT LastErrorCode() const;
    std::string LocationURL() const;

    // Events; each is called with the control first.
    std::function<void(TEdgeBrowser&, HRESULT)> OnCreateWebViewCompleted;
    std::function<void(TEdgeBrowser&, TNavigationStartingEventArgs&)> OnNavigationStarting;
    std::function<void(TEdgeBrowser&, bool, COREWEBVIEW2_WEB_ERROR_STATUS)> OnNavigationCompleted;
    std::function<void(TEdgeBrowser&, bool, uint64_t)> OnContentLoading;
    std::function<void(TEdgeBrowser&, const std::string&)> OnDocumentTitleChanged;
    std::function<void(TEdgeBrowser&, TNewWindowRequestedEventArgs&)> OnNewWindowRequested;
    std::function<void(TEdgeBrowser&, TWebResourceRequestedEventArgs&)> OnWebResourceRequested;
    std::function<void(TEdgeBrowser&, TPermissionRequestedEventArgs&)> OnPermissionRequested;
    // Set before the web view is made: downloads are then the handler's (ICoreWebView2_4, runtime
    // 92 and later); an older runtime keeps its own handling, which is said once in the failure
    // sink.
    std::function<void(TEdgeBrowser&, TDownloadStartingEventArgs&)> OnDownloadStarting;
    std::function<void(TEdgeBrowser&, COREWEBVIEW2_PROCESS_FAILED_KIND)> OnProcessFailed;
    std::function<void(TEdgeBrowser&, TWebMessageReceivedEventArgs&)> OnWebMessageReceived;

private:
    // What the worker thread and WebView2's completion threads share with the control; it outlives
    // the control when a creation is still under way at destruction.
    struct TShared {
        mutable std::mutex critSec;  // guards lastErrorCode
        HRESULT lastErrorCode = S_OK;
    };
    class TSubscriptions;

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
    std::string DocumentTitle() const;

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
    std::string FLastURL;
    std::unique_ptr<TSubscriptions> FSubscriptions;
};

}  // namespace zorv
