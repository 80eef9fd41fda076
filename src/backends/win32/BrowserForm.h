#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/win32/EdgeBrowser.h"
#include "backends/win32/WinMimeRegistry.h"
#include "bridge/WebMessage.h"
#include "runtime/AppContentGate.h"
#include "runtime/PageHost.h"
#include "shared/LifetimeToken.h"
#include "shared/Win32Handles.h"

namespace zorv {

class TWinUiThread;

// The page host: a borderless child window holding the web view control and a marquee bar that
// runs until the first navigation completes. Once the web view exists it injects the
// document-start script, applies the settings, asks to see every request and opens the start URL;
// it answers file:/// requests from the archive (then the executable's folder, then the absolute
// path), and refuses requests that name another origin as their maker. While an application
// document is on top (only then) it grants permissions, to the application's origin and for that
// request only, and opens new windows on app URLs as new instances of the executable, started
// after the event; pages that are not the application cannot navigate into its URL space.
class TBrowserForm final : public IPageHost {
public:
    // Starts a new instance of the running executable with the given argument text (by default
    // with CreateProcessW on the executable's own path).
    using TStartInstance = std::function<void(const std::string& arguments)>;

    explicit TBrowserForm(TWinUiThread& uiThread, TEdgeBrowser::TEnvironmentFactory environmentFactory = {});
    ~TBrowserForm() override;
    TBrowserForm(const TBrowserForm&) = delete;
    TBrowserForm& operator=(const TBrowserForm&) = delete;

    // Creates the form's window inside `parent`, filling its client area; this starts creating
    // the web view.
    void SetParent(HWND parent);
    void SetBounds(const RECT& bounds);
    void SetVisible(bool visible);
    HWND Handle() const { return FWindow.Get(); }

    TEdgeBrowser& EdgeBrowser() { return *FEdgeBrowser; }
    void SetStartInstance(TStartInstance startInstance) { FStartInstance = std::move(startInstance); }
    const TPageHostOptions& Options() const { return FOptions; }
    // The app URL space the pages live in: file:/// (the default) or the https origin.
    std::string_view UrlPrefix() const { return FOptions.urlPrefix; }

    // IPageHost. The options are taken before the web view exists (it is made asynchronously).
    void SetOptions(TPageHostOptions options) override { FOptions = std::move(options); }
    TResourceResolver Resolver() const override;
    IWebView& WebView() override { return *FEdgeBrowser; }
    // Loads the top document again as the runtime's own navigation, whatever it is: a project
    // folder being run reloads what its author sees, the browser's error page for a page not
    // written yet included.
    void ReloadPage() override;
    // Messages are read while their event is being delivered and handed on through the UI
    // thread's queue: a call may run a modal loop (a file dialog, a message box), and WebView2
    // does not support re-entry from inside its event handlers.
    void SetOnWebMessage(std::function<void(const TWebMessage& message)> handler) override {
        FOnWebMessage = std::move(handler);
    }
    void SetOnDocumentTitleChanged(std::function<void(const std::string& title)> handler) override;
    bool ProgressBarVisible() const;
    // False after a navigation that ended on the browser's error page; a cancelled navigation
    // leaves the page that was there, and the answer, as they were.
    bool LastNavigationSucceeded() const { return FLastNavigationSucceeded; }

    // The script registered to run at the start of every document.
    std::string DocumentStartScript() const;
    // The argument text of a new instance that opens `url`: the options, the identifier and the
    // URL, each in double quotes.
    static std::string NewInstanceArguments(const std::vector<std::string>& options, const std::string& appID,
                                            const std::string& url);
    // A web message as the bridge takes it, with the way back to the document that posted it:
    // its replies are dropped once another document has started loading.
    TWebMessage ToWebMessage(ICoreWebView2WebMessageReceivedEventArgs* args) const;
    // Whether the top document is one the archive answered, in the app URL space.
    bool AppDocumentOnTop() const { return FGate && FGate->TopIsAppDocument(); }

    // Handlers of the web view control's events.
    void EdgeBrowserCreateWebViewCompleted(TEdgeBrowser& sender, HRESULT result);
    void EdgeBrowserWebResourceRequested(TEdgeBrowser& sender, TWebResourceRequestedEventArgs& args);
    void EdgeBrowserNewWindowRequested(TEdgeBrowser& sender, TNewWindowRequestedEventArgs& args);
    void EdgeBrowserNavigationCompleted(TEdgeBrowser& sender, bool isSuccess, COREWEBVIEW2_WEB_ERROR_STATUS status);
    void EdgeBrowserPermissionRequested(TEdgeBrowser& sender, TPermissionRequestedEventArgs& args);
    void EdgeBrowserWebMessageReceived(TEdgeBrowser& sender, TWebMessageReceivedEventArgs& args);
    void EdgeBrowserNavigationStarting(TEdgeBrowser& sender, TNavigationStartingEventArgs& args);
    void EdgeBrowserContentLoading(TEdgeBrowser& sender);
    // The page's process (or the browser's) ended or hangs: the page is loaded again the first
    // time, and a second failure of this window is shown to the user instead of a blank page.
    // Failures of frames, helpers or the GPU are WebView2's to recover from.
    void EdgeBrowserProcessFailed(COREWEBVIEW2_PROCESS_FAILED_KIND kind);

private:
    // ReloadPage's work; false when the web view took no reload.
    bool ReloadTopDocument();
    // Tells the user, once, that the page failed for good.
    void ShowPageFailed();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void LayOut();
    void ApplySettings();
    // Whether the navigation to `uri` is the runtime's own that is still to start; it is then used up.
    bool TakeHostNavigation(const std::string& uri);
    // Whether a URL, or an origin, belongs to the application's origin, compared as origins.
    bool IsAppOriginUrl(std::string_view url) const;
    // Whether a request's Origin header (or without one, its Referer) names another origin.
    bool NamesForeignRequester(ICoreWebView2HttpRequestHeaders* headers) const;
    // Whether a new window on `uri` is a new instance's: an app URL (under file:///, any file: URL).
    bool OpensInNewInstance(const std::string& uri) const;
    // Keeps WebView2 from storing the decision of a permission request for later ones.
    void DecideThisRequestOnly(ICoreWebView2PermissionRequestedEventArgs* request);

    TWinUiThread& FUiThread;
    std::unique_ptr<TEdgeBrowser> FEdgeBrowser;
    TWindowHandle FWindow;
    HWND FProgressBar = nullptr;  // a child of FWindow, destroyed with it
    TWinMimeRegistry FMimeRegistry;
    TStartInstance FStartInstance;
    TPageHostOptions FOptions;
    std::function<void(const TWebMessage& message)> FOnWebMessage;
    bool FLastNavigationSucceeded = true;
    std::optional<TAppContentGate> FGate;   // once the web view exists
    std::string FHostNavigation;            // the start URL (canonical), until its navigation starts
    bool FStoredDecisionsReported = false;  // that this runtime may store permission decisions
    // Counts the documents loaded; a reply made for an earlier one is dropped.
    std::shared_ptr<std::uint64_t> FDocumentGeneration = std::make_shared<std::uint64_t>(0);
    // Messages queued for later are handed on only while the page host exists.
    TLifetimeToken FLifetime;
    int FPageProcessFailures = 0;
    bool FPageFailedShown = false;
};

}  // namespace zorv
