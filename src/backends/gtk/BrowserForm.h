#pragma once
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/gtk/AppSchemeHandler.h"
#include "backends/gtk/MediaServer.h"
#include "backends/gtk/GLibOwned.h"
#include "backends/gtk/WebKitBrowser.h"
#include "runtime/AppContentGate.h"

namespace zorv {

class IAppPackage;

// The page host: the web view with a marquee loading bar below it until the first navigation
// completes. It serves the application's URL space from the archive (then the executable's
// folder, then the absolute path), injects the document-start script and, while an application
// document is on top (only then), grants permissions, saves downloads where the user chooses and
// turns a new window on an application URL into a second instance of the executable: each for
// the application itself, not for a frame of another origin inside it (the gate tells them apart
// by the user's gestures).
// The owner sets the properties, then calls Start once.
class TBrowserForm {
public:
    // Web site data (local storage, caches) lives under `dataDir` when it is not empty.
    explicit TBrowserForm(const std::string& dataDir);
    ~TBrowserForm();
    TBrowserForm(const TBrowserForm&) = delete;
    TBrowserForm& operator=(const TBrowserForm&) = delete;

    GtkWidget* Widget() const { return FBox.get(); }
    TWebKitBrowser& WebKitBrowser() { return *FWebKitBrowser; }

    // What the application shipped: the archive, or the project folder being run.
    void SetAppPackage(const IAppPackage* package) { FPackage = package; }
    void SetIsRuntime(bool isRuntime) { FIsRuntime = isRuntime; }
    void SetRuntimeAppID(std::string appID) { FRuntimeAppID = std::move(appID); }
    // Put before (identifier, URL) when a new window starts another instance: the options that
    // serve the same project folder.
    void SetRelaunchOptions(std::vector<std::string> options) { FRelaunchOptions = std::move(options); }
    void SetWithExternal(bool withExternal) { FWithExternal = withExternal; }
    // The text of the window.zorv script, injected when WithExternal is set.
    void SetExternalJavascript(std::string script) { FExternalJavascript = std::move(script); }
    void SetAppDirName(std::string appDirName) { FAppDirName = std::move(appDirName); }
    // The start page (setting IndexHtml): what the bare root of the URL space answers.
    void SetAppIndexHtml(std::string indexHtml) { FAppIndexHtml = std::move(indexHtml); }
    // Reads requests of the app URL space: the archive, then the disk.
    TResourceResolver Resolver() const;
    const std::string& AppDirPath() const { return FAppDirPath; }
    // The folder that stands for the executable's (ends with "/"): the project folder being run.
    void SetAppDirPath(std::string path) { FAppDirPath = std::move(path); }
    void SetAllowDebug(bool allow) { FAllowDebug = allow; }
    void SetAllowContextMenu(bool allow) { FAllowContextMenu = allow; }
    void SetWebviewJavascript(std::string script) { FWebviewJavascript = std::move(script); }
    void SetStartPageURL(std::string url) { FStartPageURL = std::move(url); }
    void SetHandleRequests(bool handle) { FHandleRequests = handle; }
    bool ProgressBarVisible() const;

    // Starts a program detached from this one; replaced by tests.
    std::function<bool(const std::vector<std::string>& argv)> SpawnDetached;
    // Opens a web address with the desktop's browser.
    std::function<bool(const std::string& uri)> OpenUri;
    // Asks where a download goes: a path, or nothing to cancel it.
    std::function<std::optional<std::string>(const std::string& suggestedName)> ChooseDownloadPath;

    // The web view is ready: script, settings, request handling, then the start page.
    void Start();

private:
    bool NewWindowRequested(const std::string& uri, bool userGesture);
    bool TopNavigationAnswered(const std::string& uri, bool userGesture);
    bool IsApplicationDownload(WebKitDownload* download) const;
    void StartMediaServer(const TResourceResolver& resolver, TAppSchemeHandler::TRequestFilter filter);
    static void HandleDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer self);
    static gboolean HandleDecideDestination(WebKitDownload* download, gchar* suggestedName, gpointer self);
    void NavigationCompleted();
    static gboolean PulseProgressBar(gpointer self);

    TGObjectOwned<WebKitWebContext> FContext;
    std::unique_ptr<TAppSchemeHandler> FSchemeHandler;
    std::unique_ptr<TMediaServer> FMediaServer;  // from Start on
    std::optional<TAppContentGate> FGate;        // from Start on
    std::unique_ptr<TWebKitBrowser> FWebKitBrowser;
    TWidgetOwned<> FBox;
    GtkWidget* FProgressBar;
    guint FPulseSource = 0;

    const IAppPackage* FPackage = nullptr;
    bool FIsRuntime = false;
    std::string FRuntimeAppID;
    std::vector<std::string> FRelaunchOptions;
    bool FWithExternal = false;
    std::string FExternalJavascript;
    std::string FAppDirName;
    std::string FAppIndexHtml;
    std::string FAppDirPath;
    bool FAllowDebug = false;
    bool FAllowContextMenu = false;
    std::string FWebviewJavascript;
    std::string FStartPageURL;
    bool FHandleRequests = false;
};

}  // namespace zorv
