#pragma once
#include <webkit2/webkit2.h>

#include <functional>
#include <string>
#include <vector>

#include "backends/gtk/GLibOwned.h"

#include "bridge/WebMessage.h"
#include "platform/WebView.h"

namespace zorv {

// The web view control over WebKitGTK. Pages get `window.chrome.webview` (postMessage,
// addEventListener/removeEventListener for 'message') so that the bridge script runs as it does
// in WebView2. Replies travel back as the answer to the call's own message, or, when they come
// later, as the answer to a request that the top document keeps open.
// Each message carries the URL of the document that posted it, read by a script in
// an isolated world that the page cannot reach, so a foreign document cannot pass for an
// application page. Replies reach the top document as message events.
class TWebKitBrowser final : public IWebView {
public:
    explicit TWebKitBrowser(WebKitWebContext* context);
    ~TWebKitBrowser() override;
    TWebKitBrowser(const TWebKitBrowser&) = delete;
    TWebKitBrowser& operator=(const TWebKitBrowser&) = delete;

    GtkWidget* Widget() const { return GTK_WIDGET(FWebView); }
    WebKitWebView* WebView() const { return FWebView; }

    // Runs in every frame before any script of the page, after the message shim.
    void AddDocumentStartScript(const std::string& script);
    void SetDevToolsEnabled(bool enabled);
    void SetDefaultContextMenusEnabled(bool enabled);
    void Navigate(const std::string& url);
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
    std::function<void(const std::string& title)> OnDocumentTitleChanged;
    std::function<void(bool success)> OnNavigationCompleted;
    // True when the handler took care of the new window; otherwise none is opened.
    std::function<bool(const std::string& uri)> OnNewWindowRequested;
    std::function<void()> OnProcessFailed;

    static constexpr const char* MessageHandlerName = "zorv";
    static constexpr const char* ReceiveHandlerName = "zorvReceive";
    static constexpr const char* BridgeWorldName = "zorv-bridge";
    static TWebMessage MessageFromPage(const std::string& json, const std::string& sourceUrl);

private:
    static gboolean HandleScriptMessage(WebKitUserContentManager*, JSCValue* value, WebKitScriptMessageReply* reply,
                                        gpointer self);
    static std::string ReplyBatch(const std::vector<std::string>& replies);
    static void HandleTitleChanged(GObject*, GParamSpec*, gpointer self);
    static void HandleLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
    static GtkWidget* HandleCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self);
    static gboolean HandlePermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer);
    static gboolean HandleContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*,
                                      gpointer self);
    static void HandleWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self);
    static gboolean HandleKeyPress(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean HandleReceiveRequest(WebKitUserContentManager*, JSCValue* value, WebKitScriptMessageReply* reply,
                                         gpointer self);
    void AddScript(const char* source, const char* worldName);
    void DeliverWaitingReplies();
    void DropReceiveRequest();

    WebKitUserContentManager* FContentManager;
    WebKitWebView* FWebView;  // a counted reference of our own, beside the container's
    bool FContextMenusEnabled = false;
    bool FDevToolsEnabled = false;
    bool FPageAlive = true;
    // The top document's open request for replies, and the replies that wait for one.
    WebKitScriptMessageReply* FReceiveRequest = nullptr;
    TGObjectOwned<JSCContext> FReceiveContext;
    std::vector<std::string> FWaitingReplies;
    // Set while a call runs: the replies that go back as its answer.
    std::vector<std::string>* FCallReplies = nullptr;
};

}  // namespace zorv
