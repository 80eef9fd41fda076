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
#include "runtime/PageHost.h"

namespace zorv {

// The page host: the web view with a marquee loading bar below it until the first navigation
// completes. It serves the application's URL space from the archive (then the executable's
// folder, then the absolute path), injects the document-start script and, while an application
// document is on top (only then), grants permissions, saves downloads where the user chooses and
// turns a new window on an application URL into a second instance of the executable: each for
// the application itself, not for a frame of another origin inside it (the gate tells them apart
// by the user's gestures).
// The options are set first, then Start is called once.
class TBrowserForm final : public IPageHost {
public:
    // Web site data (local storage, caches) lives under `dataDir` when it is not empty.
    explicit TBrowserForm(const std::string& dataDir);
    ~TBrowserForm() override;
    TBrowserForm(const TBrowserForm&) = delete;
    TBrowserForm& operator=(const TBrowserForm&) = delete;

    GtkWidget* Widget() const { return FBox.get(); }
    TWebKitBrowser& WebKitBrowser() { return *FWebKitBrowser; }

    // IPageHost.
    void SetOptions(TPageHostOptions options) override { FOptions = std::move(options); }
    TResourceResolver Resolver() const override;
    IWebView& WebView() override { return *FWebKitBrowser; }
    void ReloadPage() override { FWebKitBrowser->Reload(); }
    void SetOnWebMessage(std::function<void(const TWebMessage& message)> handler) override {
        FWebKitBrowser->OnWebMessageReceived = std::move(handler);
    }
    void SetOnDocumentTitleChanged(std::function<void(const std::string& title)> handler) override {
        FWebKitBrowser->OnDocumentTitleChanged = std::move(handler);
    }
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

    TPageHostOptions FOptions;
};

}  // namespace zorv
