#include "backends/gtk/WebKitBrowser.h"

#include <libsoup/soup.h>
#include <nlohmann/json.hpp>

#include <charconv>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "backends/gtk/EmbeddedScripts.h"
#include "backends/gtk/GLibOwned.h"
#include "runtime/AppUrl.h"
#include "shared/FailureSink.h"

namespace zorv {

namespace {

// Hands replies to the top document's page world outside any call.
constexpr const char* DeliverScriptStart = "document.dispatchEvent(new CustomEvent('zorv:messages', {detail: ";
constexpr const char* DeliverScriptEnd = "}));";

using TWebKitUserScriptOwned = TUnrefOwned<WebKitUserScript, webkit_user_script_unref>;
using TScriptMessageReplyOwned = TUnrefOwned<WebKitScriptMessageReply, webkit_script_message_reply_unref>;

std::string StringMember(JSCValue* object, const char* name) {
    TGObjectOwned<JSCValue> member(jsc_value_object_get_property(object, name));
    if (!member || !jsc_value_is_string(member.get())) return {};
    TGCharOwned text(jsc_value_to_string(member.get()));
    return text ? text.get() : "";
}

// The answer to one script message, which resolves the promise of its postMessage in the frame
// that posted it; given once.
class TPendingAnswer {
public:
    TPendingAnswer() = default;
    TPendingAnswer(WebKitScriptMessageReply* reply, JSCContext* context)
        : FReply(webkit_script_message_reply_ref(reply)), FContext(JSC_CONTEXT(g_object_ref(context))) {}
    TPendingAnswer(const TPendingAnswer&) = delete;
    TPendingAnswer& operator=(const TPendingAnswer&) = delete;
    TPendingAnswer& operator=(TPendingAnswer&& other) noexcept {
        std::swap(FReply, other.FReply);
        std::swap(FContext, other.FContext);
        return *this;
    }
    ~TPendingAnswer() { Give("[]"); }

    bool Waiting() const { return FReply != nullptr; }
    void Give(const std::string& answer) {
        if (!FReply) return;
        TGObjectOwned<JSCValue> value(jsc_value_new_string(FContext.get(), answer.c_str()));
        webkit_script_message_reply_return_value(FReply.get(), value.get());
        FReply.reset();
        FContext.reset();
    }

private:
    TScriptMessageReplyOwned FReply;
    TGObjectOwned<JSCContext> FContext;
};

}  // namespace

// The calls of one batch a frame posted, and the way back to that frame. Replies made while the
// batch is dispatched go back together as the batch's answer. Calls that answer later (a
// command's) keep the batch registered under a ticket; the frame's wait message for that ticket
// carries the replies made since, and is answered again with a ticket while calls still run. A
// call that runs a nested main loop (a dialog) lets the batch answer early, the same way, so that
// the replies before it are not held until the loop ends. A reply made after the top document has
// changed is dropped. Lives on the UI thread.
class TWebKitBrowser::TMessageBatch : public std::enable_shared_from_this<TMessageBatch> {
public:
    // `reply` answers the batch's own message.
    TMessageBatch(WebKitScriptMessageReply* reply, JSCContext* context, std::weak_ptr<TMessageBatches> batches,
                  std::weak_ptr<const std::uint64_t> generation)
        : FBatches(std::move(batches)),
          FGeneration(std::move(generation)),
          FDocument(CurrentDocument()),
          FAnswer(reply, context) {}

    std::shared_ptr<IWebMessageReply> NewCall();
    // A nested main loop within the batch's dispatch: replies are held no longer.
    void StopHolding();
    // The end of the batch's dispatch.
    void Dispatched() {
        FDispatching = false;
        StopHolding();
    }
    // A wait message for this batch.
    void WaitWith(WebKitScriptMessageReply* reply, JSCContext* context) {
        FAnswer = TPendingAnswer(reply, context);
        AnswerIfDue();
    }
    void Add(const std::string& json) {
        if (CurrentDocument() != FDocument) return;
        if (!FReplies.empty()) FReplies += ',';
        FReplies += json;
        AnswerIfDue();
    }
    void CallEnded() {
        --FRunning;
        AnswerIfDue();
    }
    // Whether nothing more can come for this batch's document.
    bool Finished() const { return !MoreToCome() && (FReplies.empty() || CurrentDocument() != FDocument); }

private:
    bool MoreToCome() const { return FRunning > 0 || FDispatching; }
    void AnswerIfDue();
    // The top document's number, or nothing once the web view has gone.
    std::optional<std::uint64_t> CurrentDocument() const {
        const auto generation = FGeneration.lock();
        return generation ? std::optional<std::uint64_t>(*generation) : std::nullopt;
    }

    std::weak_ptr<TMessageBatches> FBatches;
    std::weak_ptr<const std::uint64_t> FGeneration;
    std::optional<std::uint64_t> FDocument;
    TPendingAnswer FAnswer;
    std::string FReplies;      // the JSON texts of the replies not yet given, comma-separated
    std::size_t FRunning = 0;  // calls whose way back is still held
    bool FHolding = true;
    bool FDispatching = true;
    std::uint64_t FTicket = 0;
};

// The batches whose calls still run, by ticket.
class TWebKitBrowser::TMessageBatches {
public:
    std::uint64_t Add(std::shared_ptr<TMessageBatch> batch) {
        FByTicket.emplace(FNextTicket, std::move(batch));
        return FNextTicket++;
    }
    std::shared_ptr<TMessageBatch> Find(std::uint64_t ticket) const {
        const auto found = FByTicket.find(ticket);
        return found == FByTicket.end() ? nullptr : found->second;
    }
    void Remove(std::uint64_t ticket) { FByTicket.erase(ticket); }
    // A new top document: batches that can bring nothing more are let go, also those whose frame
    // went before it waited.
    void DropFinished() {
        std::erase_if(FByTicket, [](const auto& entry) { return entry.second->Finished(); });
    }

private:
    std::unordered_map<std::uint64_t, std::shared_ptr<TMessageBatch>> FByTicket;
    std::uint64_t FNextTicket = 1;
};

namespace {

// The way back for one call of a batch: its reply joins the batch's answer. May be released on
// any thread; the batch hears of it on the UI thread.
class TBatchCallReply final : public IWebMessageReply {
public:
    explicit TBatchCallReply(std::shared_ptr<TWebKitBrowser::TMessageBatch> batch) : FBatch(std::move(batch)) {}
    TBatchCallReply(const TBatchCallReply&) = delete;
    TBatchCallReply& operator=(const TBatchCallReply&) = delete;

    ~TBatchCallReply() override {
        if (g_main_context_is_owner(nullptr)) {
            FBatch->CallEnded();
            return;
        }
        g_main_context_invoke_full(
            nullptr, G_PRIORITY_DEFAULT,
            [](gpointer data) {
                static_cast<std::shared_ptr<TWebKitBrowser::TMessageBatch>*>(data)->get()->CallEnded();
                return G_SOURCE_REMOVE;
            },
            new std::shared_ptr<TWebKitBrowser::TMessageBatch>(std::move(FBatch)),
            [](gpointer data) { delete static_cast<std::shared_ptr<TWebKitBrowser::TMessageBatch>*>(data); });
    }

    void PostJson(const std::string& json) override {
        // Like WebView2, text that is not JSON never reaches the page.
        if (FAnswered || !nlohmann::json::accept(json)) return;
        FAnswered = true;
        FBatch->Add(json);
    }

private:
    std::shared_ptr<TWebKitBrowser::TMessageBatch> FBatch;
    bool FAnswered = false;
};

}  // namespace

std::shared_ptr<IWebMessageReply> TWebKitBrowser::TMessageBatch::NewCall() {
    ++FRunning;
    return std::make_shared<TBatchCallReply>(shared_from_this());
}

void TWebKitBrowser::TMessageBatch::StopHolding() {
    FHolding = false;
    if (MoreToCome() && FTicket == 0) {
        if (const auto batches = FBatches.lock()) FTicket = batches->Add(shared_from_this());
    }
    AnswerIfDue();
}

void TWebKitBrowser::TMessageBatch::AnswerIfDue() {
    if (FHolding || !FAnswer.Waiting()) return;
    if (CurrentDocument() != FDocument) FReplies.clear();
    const bool more = MoreToCome() && FTicket != 0;
    if (more && FReplies.empty()) return;
    std::string answer;
    if (more) answer.append("W").append(std::to_string(FTicket)).append(":");
    answer.append("[").append(FReplies).append("]");
    FAnswer.Give(answer);
    FReplies.clear();
    if (!more && FTicket != 0) {
        const std::uint64_t ticket = std::exchange(FTicket, 0);
        if (const auto batches = FBatches.lock()) batches->Remove(ticket);
    }
}

TWebKitBrowser::TWebKitBrowser(WebKitWebContext* context)
    : FContentManager(webkit_user_content_manager_new()), FBatches(std::make_shared<TMessageBatches>()) {
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
    AddScript(PageShimScript().data(), nullptr);
    AddScript(RelayScript().data(), BridgeWorldName);

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
    const TWebKitUserScriptOwned script(
        worldName
            ? webkit_user_script_new_for_world(source, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, worldName, nullptr, nullptr)
            : webkit_user_script_new(source, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                     WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr));
    webkit_user_content_manager_add_script(FContentManager.get(), script.get());
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

void TWebKitBrowser::Reload() { webkit_web_view_reload_bypass_cache(FWebView.get()); }

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
    JSCContext* context = jsc_value_get_context(value);
    if (!jsc_value_is_object(value)) {
        TPendingAnswer(reply, context).Give("[]");
        return TRUE;
    }
    if (jsc_value_object_has_property(value, "gesture")) {
        TPendingAnswer(reply, context).Give("[]");
        if (browser->OnUserGesture) {
            TGObjectOwned<JSCValue> elsewhere(jsc_value_object_get_property(value, "elsewhere"));
            browser->OnUserGesture(StringMember(value, "url"), StringMember(value, "origin"),
                                   elsewhere && jsc_value_to_boolean(elsewhere.get()));
        }
        return TRUE;
    }
    if (jsc_value_object_has_property(value, "wait")) {
        browser->WaitForBatch(StringMember(value, "wait"), reply, context);
        return TRUE;
    }
    const auto batch = std::make_shared<TMessageBatch>(reply, context, browser->FBatches, browser->FDocumentGeneration);
    // Runs only if a call runs a nested main loop before the batch is through.
    const TGSourceOwned nestedLoop(g_idle_source_new());
    g_source_set_callback(
        nestedLoop.get(),
        [](gpointer data) {
            static_cast<TMessageBatch*>(data)->StopHolding();
            return G_SOURCE_REMOVE;
        },
        batch.get(), nullptr);
    g_source_attach(nestedLoop.get(), nullptr);
    const std::string texts = StringMember(value, "message");
    const std::string url = StringMember(value, "url");
    const std::string origin = StringMember(value, "origin");
    const TLifetimeToken::TWatch lifetime = browser->FLifetime.Watch();
    std::string_view rest = texts;
    while (true) {
        const std::size_t end = rest.find('\n');
        if (browser->OnWebMessageReceived) {
            TWebMessage message = MessageFromPage(std::string(rest.substr(0, end)), url, origin);
            message.reply = batch->NewCall();
            browser->OnWebMessageReceived(message);
            // A call may run a nested main loop in which the web view goes.
            if (lifetime.Expired()) break;
        }
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    batch->Dispatched();
    return TRUE;
}

void TWebKitBrowser::WaitForBatch(const std::string& ticketText, WebKitScriptMessageReply* reply, JSCContext* context) {
    std::uint64_t ticket = 0;
    const auto [end, error] = std::from_chars(ticketText.data(), ticketText.data() + ticketText.size(), ticket);
    const std::shared_ptr<TMessageBatch> batch =
        error == std::errc() && end == ticketText.data() + ticketText.size() ? FBatches->Find(ticket) : nullptr;
    if (batch)
        batch->WaitWith(reply, context);
    else
        TPendingAnswer(reply, context).Give("[]");
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
        browser->FBatches->DropFinished();
        if (browser->OnDocumentCommitted) browser->OnDocumentCommitted(browser->LocationURL());
    }
    if (event == WEBKIT_LOAD_FINISHED && browser->OnNavigationCompleted) browser->OnNavigationCompleted(true);
}

TNavigationCause TWebKitBrowser::CauseOf(WebKitNavigationAction* action, const std::string& uri) {
    // The engine reports the URL it was asked for in its canonical form (blanks escaped, "./" gone).
    if (!FHostNavigation.empty() && TAppUrl::Canonical(uri) == TAppUrl::Canonical(FHostNavigation)) {
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
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        if (browser->ResponseMayProceed(WEBKIT_RESPONSE_POLICY_DECISION(decision))) return FALSE;
        webkit_policy_decision_ignore(decision);
        return TRUE;
    }
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION || !browser->OnNavigationStarting) return FALSE;
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (!uri) return FALSE;
    const std::string target = uri;
    browser->FNavigations.Started(target, webkit_navigation_action_is_user_gesture(action));
    if (browser->OnNavigationStarting(target, browser->CauseOf(action, target))) return FALSE;
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

GtkWidget* TWebKitBrowser::HandleCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self) {
    auto* browser = static_cast<TWebKitBrowser*>(self);
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (uri && browser->OnNewWindowRequested)
        browser->OnNewWindowRequested(uri, webkit_navigation_action_is_user_gesture(action));
    return nullptr;  // this control never opens a window of its own
}

// The answer to a navigation, before the engine shows or saves it. A new top document is first
// offered to the owner (the engine reports which navigation is the top's only here); for one the
// engine will save rather than show, whether the top's or a frame's navigation brought it is noted,
// which the download alone does not tell.
bool TWebKitBrowser::ResponseMayProceed(WebKitResponsePolicyDecision* decision) {
    WebKitURIRequest* request = webkit_response_policy_decision_get_request(decision);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (!uri) return true;
    const bool byTop = webkit_response_policy_decision_is_main_frame_main_resource(decision);
    if (byTop && OnTopNavigationResponse && !OnTopNavigationResponse(uri, FNavigations.HadGesture(uri))) return false;
    WebKitURIResponse* response = webkit_response_policy_decision_get_response(decision);
    SoupMessageHeaders* headers = response ? webkit_uri_response_get_http_headers(response) : nullptr;
    const char* disposition = headers ? soup_message_headers_get_one(headers, "Content-Disposition") : nullptr;
    const bool saved = !webkit_response_policy_decision_is_mime_type_supported(decision) ||
                       (disposition && g_ascii_strncasecmp(disposition, "attachment", 10) == 0);
    if (saved) FNavigations.Saved(uri, byTop);
    return true;
}

std::optional<bool> TWebKitBrowser::SavedByTopNavigation(const std::string& uri) const {
    return FNavigations.SavedByTop(uri);
}

void TWebKitBrowser::TRecentNavigations::Started(const std::string& uri, bool userGesture) {
    Remember(FGestures, uri, userGesture);
}

void TWebKitBrowser::TRecentNavigations::Saved(const std::string& uri, bool byTop) { Remember(FSaved, uri, byTop); }

bool TWebKitBrowser::TRecentNavigations::HadGesture(const std::string& uri) const {
    return Find(FGestures, uri).value_or(false);
}

std::optional<bool> TWebKitBrowser::TRecentNavigations::SavedByTop(const std::string& uri) const {
    return Find(FSaved, uri);
}

void TWebKitBrowser::TRecentNavigations::Remember(std::deque<std::pair<std::string, bool>>& list,
                                                  const std::string& uri, bool flag) {
    if (list.size() == Kept) list.pop_front();
    list.emplace_back(uri, flag);
}

std::optional<bool> TWebKitBrowser::TRecentNavigations::Find(const std::deque<std::pair<std::string, bool>>& list,
                                                             const std::string& uri) {
    for (auto entry = list.rbegin(); entry != list.rend(); ++entry)
        if (entry->first == uri) return entry->second;
    return std::nullopt;
}

gboolean TWebKitBrowser::HandlePermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer self) {
    auto* browser = static_cast<TWebKitBrowser*>(self);
    const bool takesGesture =
        WEBKIT_IS_CLIPBOARD_PERMISSION_REQUEST(request) || WEBKIT_IS_POINTER_LOCK_PERMISSION_REQUEST(request);
    if (browser->OnPermissionRequested && browser->OnPermissionRequested(takesGesture))
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
