#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/win32/EdgeBrowser.h"
#include "backends/win32/WinHandles.h"
#include "backends/win32/WinMimeRegistry.h"
#include "bridge/WebMessage.h"
#include "runtime/AppContentGate.h"

namespace zorv {

class IAppPackage;
class TAbZipKit;
class TWinUiThread;

// The page host: a borderless child window holding the web view control and a marquee bar that
// runs until the first navigation completes. Once the web view exists it injects the
// document-start script, applies the settings, asks to see every request and opens the start URL;
// it answers file:/// requests from the archive (then the executable's folder, then the absolute
// path), and refuses requests that name another origin as their maker. While an application
// document is on top (only then) it grants permissions, to the application's origin and for that
// request only, and opens new windows on app URLs as new instances of the executable, started
// after the event; pages that are not the application cannot navigate into its URL space.
class TBrowserForm {
public:
    // Starts a new instance of the running executable with the given argument text (by default
    // with CreateProcessW on the executable's own path).
    using TStartInstance = std::function<void(const std::string& arguments)>;

    explicit TBrowserForm(TWinUiThread& uiThread, TEdgeBrowser::TEnvironmentFactory environmentFactory = {});
    ~TBrowserForm();
    TBrowserForm(const TBrowserForm&) = delete;
    TBrowserForm& operator=(const TBrowserForm&) = delete;

    // Creates the form's window inside `parent`, filling its client area; this starts creating
    // the web view.
    void SetParent(HWND parent);
    void SetBounds(const RECT& bounds);
    void SetVisible(bool visible);
    HWND Handle() const { return FWindow.Get(); }

    TEdgeBrowser& EdgeBrowser() { return *FEdgeBrowser; }
    const TAbZipKit* ExeZip() const { return FExeZip; }
    void SetExeZip(const TAbZipKit* exeZip) { FExeZip = exeZip; }
    // What the application shipped, when it is not the archive: the project folder being run.
    void SetAppPackage(const IAppPackage* package) { FPackage = package; }
    bool IsRuntime() const { return FIsRuntime; }
    void SetIsRuntime(bool value) { FIsRuntime = value; }
    const std::string& RuntimeAppID() const { return FRuntimeAppID; }
    void SetRuntimeAppID(const std::string& value) { FRuntimeAppID = value; }
    bool WithExternal() const { return FWithExternal; }
    void SetWithExternal(bool value) { FWithExternal = value; }
    const std::string& AppDirName() const { return FAppDirName; }
    void SetAppDirName(const std::string& value) { FAppDirName = value; }
    // The start page (setting IndexHtml): what the bare root of the URL space answers.
    void SetAppIndexHtml(const std::string& value) { FAppIndexHtml = value; }
    const std::string& AppDirPath() const { return FAppDirPath; }
    void SetAppDirPath(const std::string& value) { FAppDirPath = value; }
    bool AllowDebug() const { return FAllowDebug; }
    void SetAllowDebug(bool value) { FAllowDebug = value; }
    const std::string& WebviewJavascript() const { return FWebviewJavascript; }
    void SetWebviewJavascript(const std::string& value) { FWebviewJavascript = value; }
    bool AllowContextMenu() const { return FAllowContextMenu; }
    void SetAllowContextMenu(bool value) { FAllowContextMenu = value; }
    const std::string& StartPageURL() const { return FStartPageURL; }
    void SetStartPageURL(const std::string& value) { FStartPageURL = value; }
    bool HandleRequests() const { return FHandleRequests; }
    void SetHandleRequests(bool value) { FHandleRequests = value; }
    void SetStartInstance(TStartInstance startInstance) { FStartInstance = std::move(startInstance); }
    // Arguments a new instance takes before the identifier and the URL: a project folder being run
    // starts its new windows on the same folder.
    void SetRelaunchOptions(std::vector<std::string> options) { FRelaunchOptions = std::move(options); }
    // The app URL space the pages live in: file:/// (the default) or the https origin.
    std::string_view UrlPrefix() const { return FUrlPrefix; }
    void SetUrlPrefix(std::string_view prefix) { FUrlPrefix = prefix; }
    // Reads requests of the app URL space: the archive, then the disk.
    TResourceResolver Resolver() const;
    bool ProgressBarVisible() const;
    // False after a navigation that ended on the browser's error page; a cancelled navigation
    // leaves the page that was there, and the answer, as they were.
    bool LastNavigationSucceeded() const { return FLastNavigationSucceeded; }

    // Loads the top document again as the runtime's own navigation, whatever it is: a project
    // folder being run reloads what its author sees, the browser's error page for a page not
    // written yet included.
    void ReloadPage();

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

private:
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
    std::vector<std::string> FRelaunchOptions;
    const TAbZipKit* FExeZip = nullptr;
    const IAppPackage* FPackage = nullptr;
    bool FIsRuntime = false;
    std::string FRuntimeAppID;
    bool FWithExternal = false;
    std::string FAppDirName;
    std::string FAppIndexHtml;
    std::string FAppDirPath;
    bool FAllowDebug = false;
    std::string FWebviewJavascript;
    bool FAllowContextMenu = false;
    std::string FStartPageURL;
    bool FHandleRequests = false;
    bool FLastNavigationSucceeded = true;
    std::string_view FUrlPrefix = TAppUrl::FileUrlPrefix;  // one of TAppUrl's constants
    std::optional<TAppContentGate> FGate;                  // once the web view exists
    std::string FHostNavigation;                           // the start URL (canonical), until its navigation starts
    bool FStoredDecisionsReported = false;                 // that this runtime may store permission decisions
    // Counts the documents loaded; a reply made for an earlier one is dropped.
    std::shared_ptr<std::uint64_t> FDocumentGeneration = std::make_shared<std::uint64_t>(0);
};

}  // namespace zorv
