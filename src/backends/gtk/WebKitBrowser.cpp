#include "backends/gtk/WebKitBrowser.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <utility>

#include "backends/gtk/GLibOwned.h"
#include "shared/FailureSink.h"

namespace zorv {

namespace {

// Page world: the WebView2-style object the bridge script talks to. Messages leave as DOM events
// carrying JSON text; replies come back the same way.
constexpr const char* PageShim = R"JS((function () {
  'use strict';
  if (window.chrome && window.chrome.webview) return;
  var listeners = [];
  var webview = {
    postMessage: function (message) {
      var text = JSON.stringify(message);
      document.dispatchEvent(new CustomEvent('zorv:post', {detail: text === undefined ? 'null' : text}));
    },
    addEventListener: function (type, listener) {
      if (type === 'message' && typeof listener === 'function' && listeners.indexOf(listener) < 0) listeners.push(listener);
    },
    removeEventListener: function (type, listener) {
      var at = listeners.indexOf(listener);
      if (type === 'message' && at >= 0) listeners.splice(at, 1);
    }
  };
  // Each event carries the JSON text of an array of replies, delivered in order.
  document.addEventListener('zorv:messages', function (event) {
    if (typeof event.detail !== 'string') return;
    JSON.parse(event.detail).forEach(function (data) {
      listeners.slice().forEach(function (listener) {
        try { listener.call(webview, {type: 'message', data: data, source: webview}); }
        catch (error) { setTimeout(function () { throw error; }); }
      });
    });
  });
  window.chrome = window.chrome || {};
  Object.defineProperty(window.chrome, 'webview', {value: webview, enumerable: true});
})();)JS";

// Isolated world: relays each message with the URL and origin of the document it came from. Page
// scripts cannot reach this world, so they cannot change what goes along. The replies of the call
// come back as the answer to its message, in the frame that posted it.
constexpr const char* RelayScript = R"JS((function () {
  'use strict';
  var handlers = window.webkit.messageHandlers;
  function deliver(replies) {
    if (typeof replies === 'string' && replies !== '[]')
      document.dispatchEvent(new CustomEvent('zorv:messages', {detail: replies}));
  }
  document.addEventListener('zorv:post', function (event) {
    if (typeof event.detail !== 'string') return;
    handlers.zorv.postMessage({url: String(location.href), origin: String(self.origin), message: event.detail})
      .then(deliver, function () {});
  }, true);
})();)JS";

// Hands replies to the top document's page world outside any call.
constexpr const char* DeliverScriptStart = "document.dispatchEvent(new CustomEvent('zorv:messages', {detail: ";
constexpr const char* DeliverScriptEnd = "}));";

std::string StringMember(JSCValue* object, const char* name) {
    TGObjectOwned<JSCValue> member(jsc_value_object_get_property(object, name));
    if (!member || !jsc_value_is_string(member.get())) return {};
    TGCharOwned text(jsc_value_to_string(member.get()));
    return text ? text.get() : "";
}

// The answer to one message of the page, which resolves the promise of its postMessage in the
// frame that posted it: the call's reply goes back this way, or "[]" when it has none. A reply
// made after the top document has changed is dropped.
class TScriptMessageReply final : public IWebMessageReply {
public:
    TScriptMessageReply(WebKitScriptMessageReply* reply, JSCContext* context,
                        std::weak_ptr<const std::uint64_t> generation)
        : FReply(webkit_script_message_reply_ref(reply)),
          FContext(JSC_CONTEXT(g_object_ref(context))),
          FGeneration(std::move(generation)),
          FDocument(CurrentDocument()) {}
    TScriptMessageReply(const TScriptMessageReply&) = delete;
    TScriptMessageReply& operator=(const TScriptMessageReply&) = delete;

    ~TScriptMessageReply() override {
        // The last owner may be a worker thread (a command's); WebKit is answered on the UI thread.
        auto* pending = new TPending{FReply, FContext, FAnswered};
        g_main_context_invoke(nullptr, FinishOnUiThread, pending);
    }

    void PostJson(const std::string& json) override {
        // Like WebView2, text that is not JSON never reaches the page.
        if (FAnswered || !nlohmann::json::accept(json)) return;
        if (CurrentDocument() != FDocument) return;
        Answer(FReply, FContext, "[" + json + "]");
        FAnswered = true;
    }

private:
    struct TPending {
        WebKitScriptMessageReply* reply;
        JSCContext* context;
        bool answered;
    };
    static gboolean FinishOnUiThread(gpointer data) {
        std::unique_ptr<TPending> pending(static_cast<TPending*>(data));
        if (!pending->answered) Answer(pending->reply, pending->context, "[]");
        webkit_script_message_reply_unref(pending->reply);
        g_object_unref(pending->context);
        return G_SOURCE_REMOVE;
    }
    static void Answer(WebKitScriptMessageReply* reply, JSCContext* context, const std::string& batch) {
        TGObjectOwned<JSCValue> value(jsc_value_new_string(context, batch.c_str()));
        webkit_script_message_reply_return_value(reply, value.get());
    }
    // The top document's number, or nothing once the web view has gone.
    std::optional<std::uint64_t> CurrentDocument() const {
        const auto generation = FGeneration.lock();
        return generation ? std::optional<std::uint64_t>(*generation) : std::nullopt;
    }

    WebKitScriptMessageReply* FReply;
    JSCContext* FContext;
    std::weak_ptr<const std::uint64_t> FGeneration;
    std::optional<std::uint64_t> FDocument;
    bool FAnswered = false;
};

}  // namespace

TWebKitBrowser::TWebKitBrowser(WebKitWebContext* context) : FContentManager(webkit_user_content_manager_new()) {
    const TGObjectOwned<WebKitSettings> settings(webkit_settings_new());
    webkit_settings_set_javascript_can_open_windows_automatically(settings.get(), TRUE);
    webkit_settings_set_enable_developer_extras(settings.get(), FALSE);
    // A counted reference of our own beside the container's, so the view outlives its removal.
    FWebView.reset(WEBKIT_WEB_VIEW(
        g_object_ref_sink(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "user-content-manager",
                                       FContentManager.get(), "settings", settings.get(), nullptr))));

    webkit_user_content_manager_register_script_message_handler_with_reply(FContentManager.get(), MessageHandlerName,
                                                                           BridgeWorldName);
    g_signal_connect(FContentManager.get(), "script-message-with-reply-received::zorv", G_CALLBACK(HandleScriptMessage),
                     this);
    AddScript(PageShim, nullptr);
    AddScript(RelayScript, BridgeWorldName);

    g_signal_connect(FWebView.get(), "notify::title", G_CALLBACK(HandleTitleChanged), this);
    g_signal_connect(FWebView.get(), "load-changed", G_CALLBACK(HandleLoadChanged), this);
    g_signal_connect(FWebView.get(), "decide-policy", G_CALLBACK(HandleDecidePolicy), this);
    g_signal_connect(FWebView.get(), "create", G_CALLBACK(HandleCreate), this);
    g_signal_connect(FWebView.get(), "permission-request", G_CALLBACK(HandlePermissionRequest), this);
    g_signal_connect(FWebView.get(), "context-menu", G_CALLBACK(HandleContextMenu), this);
    g_signal_connect(FWebView.get(), "web-process-terminated", G_CALLBACK(HandleWebProcessTerminated), this);
    g_signal_connect(FWebView.get(), "key-press-event", G_CALLBACK(HandleKeyPress), this);
}

TWebKitBrowser::~TWebKitBrowser() {
    g_signal_handlers_disconnect_by_data(FContentManager.get(), this);
    g_signal_handlers_disconnect_by_data(FWebView.get(), this);
    webkit_user_content_manager_unregister_script_message_handler_in_world(FContentManager.get(), MessageHandlerName,
                                                                           BridgeWorldName);
}

void TWebKitBrowser::AddScript(const char* source, const char* worldName) {
    WebKitUserScript* script =
        worldName
            ? webkit_user_script_new_for_world(source, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, worldName, nullptr, nullptr)
            : webkit_user_script_new(source, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                     WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(FContentManager.get(), script);
    webkit_user_script_unref(script);
}

void TWebKitBrowser::AddDocumentStartScript(const std::string& script) { AddScript(script.c_str(), nullptr); }

void TWebKitBrowser::SetDevToolsEnabled(bool enabled) {
    FDevToolsEnabled = enabled;
    webkit_settings_set_enable_developer_extras(webkit_web_view_get_settings(FWebView.get()), enabled);
}

void TWebKitBrowser::SetDefaultContextMenusEnabled(bool enabled) { FContextMenusEnabled = enabled; }

void TWebKitBrowser::Navigate(const std::string& url) {
    FHostNavigation = url;
    webkit_web_view_load_uri(FWebView.get(), url.c_str());
}

std::string TWebKitBrowser::LocationURL() const {
    const char* uri = webkit_web_view_get_uri(FWebView.get());
    if (!uri || g_ascii_strcasecmp(uri, "about:blank") == 0) return {};
    return uri;
}

std::string TWebKitBrowser::DocumentTitle() const {
    const char* title = webkit_web_view_get_title(FWebView.get());
    return title ? title : "";
}

TWebMessage TWebKitBrowser::MessageFromPage(const std::string& json, const std::string& sourceUrl,
                                            const std::string& sourceOrigin) {
    TWebMessage message;
    message.asJson = json;
    message.sourceUrl = sourceUrl;
    message.sourceOrigin = sourceOrigin;
    // Only a JSON string literal can be a string message; objects need no parse here.
    if (json.starts_with('"')) {
        const nlohmann::json value = nlohmann::json::parse(json, nullptr, false);
        if (value.is_string()) message.asString = value.get<std::string>();
    }
    return message;
}

void TWebKitBrowser::PostWebMessageAsJson(const std::string& json) {
    // Like WebView2, text that is not JSON never reaches the page.
    if (!nlohmann::json::accept(json)) return;
    const std::string batch = nlohmann::json("[" + json + "]").dump();
    ExecuteScript(DeliverScriptStart + batch + DeliverScriptEnd);
}

void TWebKitBrowser::ExecuteScript(const std::string& script) {
    webkit_web_view_evaluate_javascript(FWebView.get(), script.c_str(), static_cast<gssize>(script.size()), nullptr,
                                        nullptr, nullptr, nullptr, nullptr);
}

void TWebKitBrowser::ExecuteScript(const std::string& script, std::function<void(bool succeeded)> completed) {
    struct TPending {
        std::function<void(bool)> completed;
    };
    auto finished = [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<TPending> pending(static_cast<TPending*>(data));
        GError* rawError = nullptr;
        TGObjectOwned<JSCValue> value(
            webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &rawError));
        TGErrorOwned error(rawError);
        if (error) TFailureSink::Report(std::string("A script could not run: ") + error->message);
        pending->completed(error == nullptr);
    };
    webkit_web_view_evaluate_javascript(FWebView.get(), script.c_str(), static_cast<gssize>(script.size()), nullptr,
                                        nullptr, nullptr, finished, new TPending{std::move(completed)});
}

gboolean TWebKitBrowser::HandleScriptMessage(WebKitUserContentManager*, JSCValue* value,
                                             WebKitScriptMessageReply* reply, gpointer self) {
    auto* browser = static_cast<TWebKitBrowser*>(self);
    auto answer =
        std::make_shared<TScriptMessageReply>(reply, jsc_value_get_context(value), browser->FDocumentGeneration);
    if (browser->OnWebMessageReceived && jsc_value_is_object(value)) {
        TWebMessage message =
            MessageFromPage(StringMember(value, "message"), StringMember(value, "url"), StringMember(value, "origin"));
        message.reply = std::move(answer);
        browser->OnWebMessageReceived(message);
    }
    return TRUE;
}

void TWebKitBrowser::HandleTitleChanged(GObject*, GParamSpec*, gpointer self) {
    auto* browser = static_cast<TWebKitBrowser*>(self);
    if (browser->OnDocumentTitleChanged) browser->OnDocumentTitleChanged(browser->DocumentTitle());
}

void TWebKitBrowser::HandleLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self) {
    auto* browser = static_cast<TWebKitBrowser*>(self);
    if (event == WEBKIT_LOAD_COMMITTED) {
        browser->FPageAlive = true;
        // Replies meant for the document that has gone never reach the new one.
        ++*browser->FDocumentGeneration;
        if (browser->OnDocumentCommitted) browser->OnDocumentCommitted(browser->LocationURL());
    }
    if (event == WEBKIT_LOAD_FINISHED && browser->OnNavigationCompleted) browser->OnNavigationCompleted(true);
}

TNavigationCause TWebKitBrowser::CauseOf(WebKitNavigationAction* action, const std::string& uri) {
    if (!FHostNavigation.empty() && uri == FHostNavigation) {
        FHostNavigation.clear();
        return TNavigationCause::Host;
    }
    switch (webkit_navigation_action_get_navigation_type(action)) {
        case WEBKIT_NAVIGATION_TYPE_BACK_FORWARD:
        case WEBKIT_NAVIGATION_TYPE_RELOAD: return TNavigationCause::History;
        default: return TNavigationCause::Page;
    }
}

gboolean TWebKitBrowser::HandleDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                            WebKitPolicyDecisionType type, gpointer self) {
    auto* browser = static_cast<TWebKitBrowser*>(self);
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION || !browser->OnNavigationStarting) return FALSE;
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (!uri) return FALSE;
    const std::string target = uri;
    if (browser->OnNavigationStarting(target, browser->CauseOf(action, target))) return FALSE;
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

GtkWidget* TWebKitBrowser::HandleCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self) {
    auto* browser = static_cast<TWebKitBrowser*>(self);
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (uri && browser->OnNewWindowRequested) browser->OnNewWindowRequested(uri);
    return nullptr;  // this control never opens a window of its own
}

gboolean TWebKitBrowser::HandlePermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer self) {
    auto* browser = static_cast<TWebKitBrowser*>(self);
    if (browser->OnPermissionRequested && browser->OnPermissionRequested())
        webkit_permission_request_allow(request);
    else
        webkit_permission_request_deny(request);
    return TRUE;
}

gboolean TWebKitBrowser::HandleContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*,
                                           gpointer self) {
    return static_cast<TWebKitBrowser*>(self)->FContextMenusEnabled ? FALSE : TRUE;
}

void TWebKitBrowser::HandleWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self) {
    auto* browser = static_cast<TWebKitBrowser*>(self);
    browser->FPageAlive = false;
    if (browser->OnProcessFailed) browser->OnProcessFailed();
}

// F12 and Ctrl+Shift+I open the developer tools when they are allowed, as in WebView2.
gboolean TWebKitBrowser::HandleKeyPress(GtkWidget*, GdkEventKey* event, gpointer self) {
    auto* browser = static_cast<TWebKitBrowser*>(self);
    const bool ctrlShift = (event->state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK)) == (GDK_CONTROL_MASK | GDK_SHIFT_MASK);
    const bool wanted =
        event->keyval == GDK_KEY_F12 || (ctrlShift && (event->keyval == GDK_KEY_I || event->keyval == GDK_KEY_i));
    if (!browser->FDevToolsEnabled || !wanted) return FALSE;
    webkit_web_inspector_show(webkit_web_view_get_inspector(browser->FWebView.get()));
    return TRUE;
}

}  // namespace zorv
