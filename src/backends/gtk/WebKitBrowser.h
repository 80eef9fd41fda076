#pragma once
#include <webkit2/webkit2.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "backends/gtk/GLibOwned.h"

#include "bridge/WebMessage.h"
#include "platform/WebView.h"
#include "runtime/AppContentGate.h"
#include "shared/LifetimeToken.h"

namespace zorv {

// The web view control over WebKitGTK. Pages get `window.chrome.webview` (postMessage,
// addEventListener/removeEventListener for 'message') so that the bridge script runs as it does
// in WebView2. Each message carries the URL and origin of the document that posted it, read by a
// script in an isolated world that the page cannot reach, so a foreign document cannot pass for an
// application page. The replies of a call travel back as the answer to its own message: they reach
// the frame and document that posted it while that document is still there, and nothing else.
class TWebKitBrowser final : public IWebView {
public:
    explicit TWebKitBrowser(WebKitWebContext* context);
    ~TWebKitBrowser() override;
    TWebKitBrowser(const TWebKitBrowser&) = delete;
    TWebKitBrowser& operator=(const TWebKitBrowser&) = delete;

    GtkWidget* Widget() const { return GTK_WIDGET(FWebView.get()); }
    WebKitWebView* WebView() const { return FWebView.get(); }

    // Runs in every frame before any script of the page, after the message shim.
    void AddDocumentStartScript(const std::string& script);
    void SetDevToolsEnabled(bool enabled);
    void SetDefaultContextMenusEnabled(bool enabled);
    void Navigate(const std::string& url);
    // Loads the current page again from its source, not from a cache.
    void Reload();
    std::string LocationURL() const;
    std::string DocumentTitle() const;
    // False once the web process has ended, until the next navigation completes.
    bool PageAlive() const { return FPageAlive; }

    // IWebView.
    void PostWebMessageAsJson(const std::string& json) override;
    void ExecuteScript(const std::string& script) override;
    // Runs a script in the page and reports whether it ran without throwing.
    void ExecuteScript(const std::string& script, std::function<void(bool succeeded)> completed);

    std::function<void(const TWebMessage& message)> OnWebMessageReceived;
    // Asked before every navigation of the top document or a frame; false refuses it.
    std::function<bool(const std::string& uri, TNavigationCause cause)> OnNavigationStarting;
    // A new top document has been committed.
    std::function<void(const std::string& uri)> OnDocumentCommitted;
    // True grants a permission request (camera, location, notifications...); otherwise refused.
    // `takesGesture`: the permission is asked for only within a user's gesture (the clipboard).
    std::function<bool(bool takesGesture)> OnPermissionRequested;
    std::function<void(const std::string& title)> OnDocumentTitleChanged;
    std::function<void(bool success)> OnNavigationCompleted;
    // True when the handler took care of the new window; otherwise none is opened. The engine
    // tells whether a user's gesture is behind the request, not which frame made it.
    std::function<bool(const std::string& uri, bool userGesture)> OnNewWindowRequested;
    // The user made a gesture (a click, a key press) in a document, as the document's frame
    // reports it from a world its scripts cannot reach; `elsewhere`: in a child frame that the
    // reporting document cannot reach (the focus went there).
    std::function<void(const std::string& url, const std::string& origin, bool elsewhere)> OnUserGesture;
    // The answer to a navigation of the top document to `uri` has come; false refuses it, the
    // document on top staying.
    std::function<bool(const std::string& uri, bool userGesture)> OnTopNavigationResponse;
    // For a download of `uri` that a navigation brought: whether the top's (true) or a frame's
    // (false) did; nothing when no navigation brought it (a link's download attribute).
    std::optional<bool> SavedByTopNavigation(const std::string& uri) const;
    std::function<void()> OnProcessFailed;

    static constexpr const char* MessageHandlerName = "zorv";
    static constexpr const char* BridgeWorldName = "zorv-bridge";
    static TWebMessage MessageFromPage(const std::string& json, const std::string& sourceUrl,
                                       const std::string& sourceOrigin);

    // The calls of one batch of messages a frame posted, and the batches whose calls still run.
    class TMessageBatch;
    class TMessageBatches;

private:
    static gboolean HandleScriptMessage(WebKitUserContentManager*, JSCValue* value, WebKitScriptMessageReply* reply,
                                        gpointer self);
    void WaitForBatch(const std::string& ticketText, WebKitScriptMessageReply* reply, JSCContext* context);
    static void HandleTitleChanged(GObject*, GParamSpec*, gpointer self);
    static void HandleLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
    static gboolean HandleDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                       gpointer self);
    static GtkWidget* HandleCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self);
    static gboolean HandlePermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer self);
    static gboolean HandleContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*,
                                      gpointer self);
    static void HandleWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self);
    static gboolean HandleKeyPress(GtkWidget*, GdkEventKey* event, gpointer self);
    void AddScript(const char* source, const char* worldName);
    bool ResponseMayProceed(WebKitResponsePolicyDecision* decision);

    // What the last few navigations said of themselves, by URL, for the events that follow them
    // without saying it again.
    class TRecentNavigations {
    public:
        void Started(const std::string& uri, bool userGesture);
        void Saved(const std::string& uri, bool byTop);
        bool HadGesture(const std::string& uri) const;
        std::optional<bool> SavedByTop(const std::string& uri) const;

    private:
        static constexpr std::size_t Kept = 16;
        static void Remember(std::deque<std::pair<std::string, bool>>& list, const std::string& uri, bool flag);
        static std::optional<bool> Find(const std::deque<std::pair<std::string, bool>>& list, const std::string& uri);
        std::deque<std::pair<std::string, bool>> FGestures;
        std::deque<std::pair<std::string, bool>> FSaved;
    };
    TNavigationCause CauseOf(WebKitNavigationAction* action, const std::string& uri);

    TGObjectOwned<WebKitUserContentManager> FContentManager;
    TGObjectOwned<WebKitWebView> FWebView;
    bool FContextMenusEnabled = false;
    bool FDevToolsEnabled = false;
    bool FPageAlive = true;
    TRecentNavigations FNavigations;
    // The URL this control was last asked to open, until its navigation starts.
    std::string FHostNavigation;
    // Counts the top documents committed; a reply made for an earlier one is dropped.
    std::shared_ptr<std::uint64_t> FDocumentGeneration = std::make_shared<std::uint64_t>(0);
    std::shared_ptr<TMessageBatches> FBatches;
    // A call may run a nested main loop in which this control goes.
    TLifetimeToken FLifetime;
};

}  // namespace zorv
