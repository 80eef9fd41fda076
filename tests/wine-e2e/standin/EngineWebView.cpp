#include "EngineWebView.h"

#include <objbase.h>

#include <thread>

#include "EngineLink.h"
#include "EventArgs.h"
#include "StandInWebView2.h"
#include "ThreadPost.h"
#include "Transcript.h"
#include "shared/Base64.h"

namespace zorv::test {

namespace {
using nlohmann::json;

// A body goes to the relay in parts of this size at most (each one line of the link).
constexpr std::size_t BodyPartBytes = 1024 * 1024;
// Bodies up to this size are kept in the transcript, as the scripted mode keeps them.
constexpr std::size_t TranscriptBodyBytes = 256 * 1024;

std::string Utf8(const wchar_t* text) { return TTranscript::Utf8(text); }
std::wstring Wide(const std::string& text) { return TTranscript::Wide(text); }
void Record(json entry) { TTranscript::Instance().Write(std::move(entry)); }

// A deferral: the event's answer waits until Complete, which may come from any thread.
class TEngineDeferral final : public TComObject<ICoreWebView2Deferral> {
public:
    TEngineDeferral(HWND queue, std::function<void()> completed) : FQueue(queue), FCompleted(std::move(completed)) {}
    HRESULT STDMETHODCALLTYPE Complete() override {
        if (FDone.exchange(true)) return S_OK;
        TThreadPost::Post(FQueue, std::move(FCompleted));
        return S_OK;
    }

private:
    HWND FQueue;
    std::function<void()> FCompleted;
    std::atomic<bool> FDone{false};
};

// Hands out deferrals for one event and runs `finish` once: when the handlers have returned and
// every deferral taken has completed.
class TDeferrals {
public:
    TDeferrals(HWND queue, std::function<void()> finish) : FState(std::make_shared<TState>()), FQueue(queue) {
        FState->finish = std::move(finish);
    }
    HRESULT Take(ICoreWebView2Deferral** deferral) {
        if (!deferral) return E_POINTER;
        ++FState->open;
        *deferral = new TEngineDeferral(FQueue, [state = FState] {
            if (--state->open == 0 && state->handlersDone) state->finish();
        });
        return S_OK;
    }
    void HandlersReturned() {
        FState->handlersDone = true;
        if (FState->open == 0) FState->finish();
    }

private:
    struct TState {
        int open = 0;
        bool handlersDone = false;
        std::function<void()> finish;
    };
    std::shared_ptr<TState> FState;
    HWND FQueue;
};

class TEngineResourceRequestedArgs final : public TNotImplementedWebResourceRequestedEventArgs {
public:
    TEngineResourceRequestedArgs(const std::wstring& uri, TStandInRequestHeaders::TMap headers,
                                 COREWEBVIEW2_WEB_RESOURCE_CONTEXT context, std::shared_ptr<TDeferrals> deferrals)
        : FRequest(TComPtr<TStandInRequest>::Attach(new TStandInRequest(uri, std::move(headers)))),
          FContext(context),
          FDeferrals(std::move(deferrals)) {}
    HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** request) override {
        if (!request) return E_POINTER;
        *request = FRequest.Get();
        (*request)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse** response) override {
        if (!response) return E_POINTER;
        *response = FResponse.Get();
        if (*response) (*response)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* response) override {
        FResponse = TComPtr<ICoreWebView2WebResourceResponse>(response);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) override {
        return FDeferrals->Take(deferral);
    }
    HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) override {
        if (!context) return E_POINTER;
        *context = FContext;
        return S_OK;
    }
    // Only responses made by this environment's CreateWebResourceResponse are accepted.
    TStandInResponse* Response() const { return static_cast<TStandInResponse*>(FResponse.Get()); }

private:
    TComPtr<TStandInRequest> FRequest;
    TComPtr<ICoreWebView2WebResourceResponse> FResponse;
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT FContext;
    std::shared_ptr<TDeferrals> FDeferrals;
};

class TEngineDialogArgs final : public TComObject<ICoreWebView2ScriptDialogOpeningEventArgs> {
public:
    TEngineDialogArgs(const json& event, std::shared_ptr<TDeferrals> deferrals)
        : FUri(Wide(event.value("uri", ""))),
          FKind(static_cast<COREWEBVIEW2_SCRIPT_DIALOG_KIND>(event.value("kind", 0))),
          FMessage(Wide(event.value("message", ""))),
          FDefaultText(Wide(event.value("defaultText", ""))),
          FDeferrals(std::move(deferrals)) {}
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return Text(uri, FUri); }
    HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* kind) override {
        if (!kind) return E_POINTER;
        *kind = FKind;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Message(LPWSTR* message) override { return Text(message, FMessage); }
    HRESULT STDMETHODCALLTYPE Accept() override {
        FAccepted = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_DefaultText(LPWSTR* text) override { return Text(text, FDefaultText); }
    HRESULT STDMETHODCALLTYPE get_ResultText(LPWSTR* text) override { return Text(text, FResultText); }
    HRESULT STDMETHODCALLTYPE put_ResultText(LPCWSTR text) override {
        FResultText = text ? text : L"";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) override {
        return FDeferrals->Take(deferral);
    }
    bool Accepted() const { return FAccepted; }
    const std::wstring& ResultText() const { return FResultText; }

private:
    static HRESULT Text(LPWSTR* out, const std::wstring& text) {
        if (!out) return E_POINTER;
        *out = CoTaskCopy(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    std::wstring FUri;
    COREWEBVIEW2_SCRIPT_DIALOG_KIND FKind;
    std::wstring FMessage, FDefaultText, FResultText;
    bool FAccepted = false;
    std::shared_ptr<TDeferrals> FDeferrals;
};

class TEngineSourceChangedArgs final : public TComObject<ICoreWebView2SourceChangedEventArgs> {
public:
    explicit TEngineSourceChangedArgs(BOOL isNewDocument) : FIsNewDocument(isNewDocument) {}
    HRESULT STDMETHODCALLTYPE get_IsNewDocument(BOOL* isNew) override {
        if (!isNew) return E_POINTER;
        *isNew = FIsNewDocument;
        return S_OK;
    }

private:
    BOOL FIsNewDocument;
};

// Reads the next part of a response body as WebView2 reads it: from the stream's current position,
// in pieces, up to `limit` bytes; `ended` once the stream has run out (or failed).
std::string ReadPart(IStream* stream, std::size_t limit, bool& ended, HRESULT& failure) {
    std::string part;
    ended = !stream;
    std::string buffer(64 * 1024, '\0');
    while (!ended && part.size() < limit) {
        ULONG read = 0;
        const ULONG want = static_cast<ULONG>(std::min(buffer.size(), limit - part.size()));
        const HRESULT result = stream->Read(buffer.data(), want, &read);
        if (FAILED(result)) {
            failure = result;
            ended = true;
            break;
        }
        part.append(buffer.data(), read);
        if (result == S_FALSE || read == 0) ended = true;
    }
    return part;
}

void Send(json message) { TEngineLink::Instance().Send(message); }

// Runs on a thread of its own: reads the runtime's answer and sends it to the relay; a body larger
// than one part goes in parts, never held whole.
void SendResponse(const json& event, const std::string& uri, TStandInResponse* response, const json& headers) {
    int status = 0;
    response->get_StatusCode(&status);
    LPWSTR reason = nullptr;
    response->get_ReasonPhrase(&reason);
    const std::string reasonText = Utf8(reason);
    ::CoTaskMemFree(reason);
    TComPtr<IStream> content;
    response->get_Content(content.Put());
    const std::string headerText = Utf8(response->Headers().c_str());
    bool ended = false;
    HRESULT failure = S_OK;
    std::string part = ReadPart(content.Get(), BodyPartBytes, ended, failure);
    json answer = {{"status", status}, {"reason", reasonText}, {"headers", headerText}};
    json entry = {{"event", "request"},    {"uri", uri},
                  {"status", status},      {"reason", reasonText},
                  {"headers", headerText}, {"requestHeaders", headers}};
    std::uint64_t total = part.size();
    if (ended) {
        if (part.size() <= TranscriptBodyBytes) entry["body"] = TTranscript::Base64(part);
        answer["body"] = TTranscript::Base64(part);
        Send({{"op", "answer"}, {"eid", event["eid"]}, {"response", answer}});
    } else {
        answer["stream"] = true;
        Send({{"op", "answer"}, {"eid", event["eid"]}, {"response", answer}});
        for (;;) {
            Send({{"op", "body"}, {"eid", event["eid"]}, {"data", TTranscript::Base64(part)}});
            if (ended) break;
            part = ReadPart(content.Get(), BodyPartBytes, ended, failure);
            total += part.size();
        }
        Send({{"op", "bodyEnd"}, {"eid", event["eid"]}, {"failure", FAILED(failure)}});
        entry["streamed"] = true;
    }
    entry["bodyBytes"] = total;
    if (FAILED(failure)) entry["bodyFailure"] = static_cast<int64_t>(failure);
    Record(std::move(entry));
}

TStandInRequestHeaders::TMap HeadersOf(const json& headers) {
    TStandInRequestHeaders::TMap map;
    if (headers.is_object())
        for (const auto& [name, value] : headers.items())
            if (value.is_string()) map[Wide(name)] = Wide(value.get<std::string>());
    return map;
}
}  // namespace

TEngineWebView::TEngineWebView(TStandInWebView& owner, int viewNumber, HWND queue)
    : FOwner(owner), FView(viewNumber), FQueue(queue) {}

TEngineWebView::~TEngineWebView() { TEngineLink::Instance().Unsubscribe(FView); }

void TEngineWebView::Request(json request, std::function<void(const json&)> reply) {
    request["view"] = FView;
    TEngineLink::Instance().Request(std::move(request), FQueue, std::move(reply));
}

void TEngineWebView::Create(std::function<void(HRESULT)> done) {
    TComPtr<TStandInWebView> self(&FOwner);
    TEngineLink::Instance().Subscribe(FView, FQueue, [self](const json& event) {
        if (self->FEngine && !self->FClosed) self->FEngine->OnEvent(event);
    });
    Request({{"op", "create"}}, [done](const json& reply) {
        if (reply.contains("error")) Record({{"event", "engineFailed"}, {"error", reply["error"]}});
        done(reply.contains("error") ? E_FAIL : S_OK);
    });
}

void TEngineWebView::Navigate(const std::string& uri) {
    Request({{"op", "navigate"}, {"uri", uri}}, [](const json&) {});
}

void TEngineWebView::Reload() {
    Request({{"op", "reload"}}, [](const json&) {});
}

void TEngineWebView::AddScript(const std::string& script,
                               TComPtr<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler> handler) {
    Request({{"op", "addScript"}, {"script", script}}, [handler](const json& reply) {
        if (!handler) return;
        const std::wstring id = Wide(reply.value("scriptId", ""));
        handler->Invoke(reply.contains("error") ? E_FAIL : S_OK, id.c_str());
    });
}

void TEngineWebView::RemoveScript(const std::string& id) {
    Request({{"op", "removeScript"}, {"scriptId", id}}, [](const json&) {});
}

// WebView2 gives the script's value as JSON; "null" for undefined, for what JSON cannot encode
// and for a script that throws.
void TEngineWebView::ExecuteScript(const std::string& script,
                                   TComPtr<ICoreWebView2ExecuteScriptCompletedHandler> handler) {
    Request({{"op", "execute"}, {"script", script}}, [handler, script](const json& reply) {
        const std::string result = reply.value("json", "null");
        json entry = {{"event", "scriptResult"}, {"script", script.substr(0, 200)}, {"json", result.substr(0, 2000)}};
        if (reply.contains("exception")) entry["exception"] = reply["exception"];
        Record(std::move(entry));
        if (handler) handler->Invoke(reply.contains("error") ? E_FAIL : S_OK, Wide(result).c_str());
    });
}

void TEngineWebView::Post(const json& value) {
    Request({{"op", "post"}, {"value", value}}, [](const json&) {});
    // A reply may follow a change of the menu bar; the harness reads its items from here (under
    // Wine another process cannot read them).
    HMENU menu = ::GetMenu(::GetAncestor(FOwner.FParentWindow, GA_ROOT));
    json items = menu ? MenuBarItems(menu) : json::array();
    if (items != FMenuItems) {
        FMenuItems = items;
        Record({{"event", "menu"}, {"items", std::move(items)}});
    }
}

void TEngineWebView::AddFilter(const std::string& uri, int context) {
    FFilters.emplace_back(uri, context);
    SendFilters();
}

void TEngineWebView::RemoveFilter(const std::string& uri, int context) {
    for (auto it = FFilters.begin(); it != FFilters.end(); ++it) {
        if (it->first == uri && it->second == context) {
            FFilters.erase(it);
            break;
        }
    }
    SendFilters();
}

void TEngineWebView::SendFilters() {
    json filters = json::array();
    for (const auto& [uri, context] : FFilters) filters.push_back({{"uri", uri}, {"context", context}});
    Request({{"op", "filters"}, {"filters", filters}}, [](const json&) {});
}

void TEngineWebView::SetVisible(bool visible) {
    Request({{"op", "visible"}, {"value", visible}}, [](const json&) {});
}

void TEngineWebView::SetBounds(const RECT& bounds) {
    Request({{"op", "bounds"}, {"width", bounds.right - bounds.left}, {"height", bounds.bottom - bounds.top}},
            [](const json&) {});
}

// A real screenshot of the page, written into the caller's stream before its handler runs.
void TEngineWebView::CapturePreview(int format, TComPtr<IStream> stream,
                                    TComPtr<ICoreWebView2CapturePreviewCompletedHandler> handler) {
    Request({{"op", "capture"}, {"format", format}}, [stream, handler](const json& reply) {
        const TResult<std::string> decoded = TBase64::Decode(reply.value("data", ""));
        HRESULT result = reply.contains("error") || !decoded ? E_FAIL : S_OK;
        if (SUCCEEDED(result)) {
            const std::string& data = decoded.Value();
            ULONG written = 0;
            result = stream->Write(data.data(), static_cast<ULONG>(data.size()), &written);
            Record({{"event", "capturePreview"}, {"bytes", data.size()}});
        }
        if (handler) handler->Invoke(result);
    });
}

void TEngineWebView::Close() {
    if (FClosed) return;
    FClosed = true;
    Request({{"op", "close"}}, [](const json&) {});
    TEngineLink::Instance().Unsubscribe(FView);
}

template <class Handler, class Args>
void TEngineWebView::Raise(const char* event, Args* args) {
    auto found = FOwner.FHandlers.find(event);
    if (found == FOwner.FHandlers.end()) return;
    // Something waiting in the queue, so that a message loop run inside a handler shows itself.
    TThreadPost::Post(FQueue, [] {});
    const auto handlers = found->second;  // a handler may add or remove handlers
    for (const auto& entry : handlers) static_cast<Handler*>(entry.second.Get())->Invoke(&FOwner, args);
}

void TEngineWebView::Answer(const json& event, json answer) {
    answer["op"] = "answer";
    answer["eid"] = event["eid"];
    TEngineLink::Instance().Send(answer);
}

void TEngineWebView::OnEvent(const json& event) {
    const std::string name = event.value("ev", "");
    if (name == "navigationStarting" || name == "frameNavigationStarting") {
        OnNavigationStarting(event, name == "navigationStarting");
    } else if (name == "sourceChanged") {
        FOwner.FSource = event.value("uri", "");
        TComPtr<TEngineSourceChangedArgs> args = TComPtr<TEngineSourceChangedArgs>::Attach(
            new TEngineSourceChangedArgs(event.value("isNewDocument", true) ? TRUE : FALSE));
        Raise<ICoreWebView2SourceChangedEventHandler>("SourceChanged", args.Get());
    } else if (name == "contentLoading") {
        const bool errorPage = event.value("isErrorPage", false);
        FOwner.FPage = errorPage ? TStandInWebView::TPage::ErrorPage : TStandInWebView::TPage::Document;
        TComPtr<TStandInContentLoadingArgs> args = TComPtr<TStandInContentLoadingArgs>::Attach(
            new TStandInContentLoadingArgs(FOwner.FNavigationId, errorPage ? TRUE : FALSE));
        Raise<ICoreWebView2ContentLoadingEventHandler>("ContentLoading", args.Get());
    } else if (name == "historyChanged") {
        Raise<ICoreWebView2HistoryChangedEventHandler>("HistoryChanged", static_cast<IUnknown*>(nullptr));
    } else if (name == "navigationCompleted") {
        OnNavigationCompleted(event);
    } else if (name == "title") {
        FOwner.FTitle = event.value("title", "");
        Record({{"event", "title"}, {"title", FOwner.FTitle}});
        Raise<ICoreWebView2DocumentTitleChangedEventHandler>("DocumentTitleChanged", static_cast<IUnknown*>(nullptr));
    } else if (name == "resource") {
        OnResource(event);
    } else if (name == "webMessage") {
        OnWebMessage(event);
    } else if (name == "newWindow") {
        OnNewWindow(event);
    } else if (name == "permission") {
        OnPermission(event);
    } else if (name == "dialog") {
        OnDialog(event);
    } else if (name == "closeRequested") {
        Raise<ICoreWebView2WindowCloseRequestedEventHandler>("WindowCloseRequested", static_cast<IUnknown*>(nullptr));
    } else if (name == "frameMessage") {
        // WebView2 delivers an iframe's posts to its ICoreWebView2Frame, which this stand-in does not give.
        Record({{"event", "frameMessage"}, {"json", event.value("json", "")}, {"source", event.value("source", "")}});
    } else if (name == "download") {
        Record({{"event", "download"},
                {"uri", event.value("uri", "")},
                {"suggestedFileName", event.value("suggestedFileName", "")},
                {"why",
                 "DownloadStarting belongs to ICoreWebView2_4, which the runtime does not ask for; the "
                 "engine saves the file in the profile's Downloads folder"}});
    } else if (name == "note") {
        Record({{"event", "engineNote"}, {"text", event.value("text", "")}});
    } else {
        Record({{"event", "engineEvent"}, {"message", event}});
        if (event.contains("eid")) Answer(event, json::object());
    }
}

void TEngineWebView::OnNavigationStarting(const json& event, bool topLevel) {
    const std::string uri = event.value("uri", "");
    if (topLevel) ++FOwner.FNavigationId;
    TComPtr<TStandInNavigationStartingArgs> args = TComPtr<TStandInNavigationStartingArgs>::Attach(
        new TStandInNavigationStartingArgs(Wide(uri), FOwner.FNavigationId));
    Raise<ICoreWebView2NavigationStartingEventHandler>(topLevel ? "NavigationStarting" : "FrameNavigationStarting",
                                                       args.Get());
    const bool cancel = args->Cancelled() != FALSE;
    Record({{"event", topLevel ? "navigationStarting" : "frameNavigationStarting"}, {"uri", uri}, {"cancel", cancel}});
    if (cancel && topLevel) Record({{"event", "navigationCancelled"}, {"uri", uri}});
    Answer(event, {{"cancel", cancel}});
}

void TEngineWebView::OnNavigationCompleted(const json& event) {
    const bool success = event.value("success", false);
    const auto status = static_cast<COREWEBVIEW2_WEB_ERROR_STATUS>(event.value("errorStatus", 0));
    TComPtr<TStandInNavigationCompletedArgs> args = TComPtr<TStandInNavigationCompletedArgs>::Attach(
        new TStandInNavigationCompletedArgs(FOwner.FNavigationId, success ? TRUE : FALSE, status));
    Raise<ICoreWebView2NavigationCompletedEventHandler>("NavigationCompleted", args.Get());
    Record({{"event", "loaded"},
            {"uri", FOwner.FSource},
            {"page", success ? "document" : "errorPage"},
            {"success", success},
            {"httpStatus", event.value("httpStatus", 0)},
            {"webErrorStatus", static_cast<int>(status)},
            {"errorText", event.value("errorText", "")},
            {"view", FOwner.FViewNumber}});
}

// The runtime's handlers run on this thread; its answer's body is read from the stream on a
// thread of its own, as WebView2 reads it, and only then goes to the relay.
void TEngineWebView::OnResource(const json& event) {
    const std::string uri = event.value("uri", "");
    const json headers = event.value("headers", json::object());
    const auto context = static_cast<COREWEBVIEW2_WEB_RESOURCE_CONTEXT>(event.value("context", 16));
    // The finishing step drops the arguments, which hold the deferrals: no cycle outlives it.
    auto args = std::make_shared<TComPtr<TEngineResourceRequestedArgs>>();
    auto deferrals = std::make_shared<TDeferrals>(FQueue, [event, uri, args, headers] {
        TComPtr<ICoreWebView2WebResourceResponse> kept((*args)->Response());
        TStandInResponse* response = (*args)->Response();
        args->Reset();
        if (!response) {
            Record({{"event", "request"}, {"uri", uri}, {"response", nullptr}, {"requestHeaders", headers}});
            TEngineLink::Instance().Send({{"op", "answer"}, {"eid", event["eid"]}, {"response", nullptr}});
            return;
        }
        std::thread([event, uri, kept, response, headers] { SendResponse(event, uri, response, headers); }).detach();
    });
    *args = TComPtr<TEngineResourceRequestedArgs>::Attach(
        new TEngineResourceRequestedArgs(Wide(uri), HeadersOf(headers), context, deferrals));
    Raise<ICoreWebView2WebResourceRequestedEventHandler>("WebResourceRequested", args->Get());
    deferrals->HandlersReturned();
}

void TEngineWebView::OnWebMessage(const json& event) {
    const std::string jsonText = event.value("json", "null");
    const std::string source = event.value("source", "");
    Record({{"event", "webMessage"}, {"json", jsonText}, {"source", source}});
    TComPtr<TStandInWebMessageArgs> args = TComPtr<TStandInWebMessageArgs>::Attach(new TStandInWebMessageArgs(
        Wide(source), Wide(jsonText), event.value("isString", false), Wide(event.value("string", ""))));
    Raise<ICoreWebView2WebMessageReceivedEventHandler>("WebMessageReceived", args.Get());
}

void TEngineWebView::OnNewWindow(const json& event) {
    const std::string uri = event.value("uri", "");
    TComPtr<TStandInNewWindowArgs> args = TComPtr<TStandInNewWindowArgs>::Attach(
        new TStandInNewWindowArgs(Wide(uri), event.value("userInitiated", false) ? TRUE : FALSE));
    Raise<ICoreWebView2NewWindowRequestedEventHandler>("NewWindowRequested", args.Get());
    const bool handled = args->Handled() != FALSE;
    Record({{"event", "newWindow"},
            {"uri", uri},
            {"userInitiated", event.value("userInitiated", false)},
            {"handled", handled}});
    Answer(event, {{"handled", handled}});
}

void TEngineWebView::OnPermission(const json& event) {
    const auto kind = static_cast<COREWEBVIEW2_PERMISSION_KIND>(event.value("kind", 0));
    TComPtr<TStandInPermissionArgs> args =
        TComPtr<TStandInPermissionArgs>::Attach(new TStandInPermissionArgs(Wide(event.value("uri", "")), kind, true));
    Raise<ICoreWebView2PermissionRequestedEventHandler>("PermissionRequested", args.Get());
    Record({{"event", "permission"},
            {"kind", static_cast<int>(kind)},
            {"uri", event.value("uri", "")},
            {"state", static_cast<int>(args->State())}});
    Answer(event, {{"state", static_cast<int>(args->State())}});
}

// With WebView2's default dialogs (the setting's default) the browser shows its own dialog and
// raises nothing; nobody sits at the engine's, so it is dismissed as a user closing it would.
void TEngineWebView::OnDialog(const json& event) {
    auto& settings = static_cast<TStandInSettings&>(*FOwner.FSettings.Get());
    const auto put = settings.FValues.find("AreDefaultScriptDialogsEnabled");
    const bool defaultDialogs = put == settings.FValues.end() || put->second != FALSE;
    if (defaultDialogs) {
        Record({{"event", "scriptDialog"},
                {"kind", event.value("kind", 0)},
                {"message", event.value("message", "")},
                {"answer", "dismissed: the browser's own dialog, closed"}});
        Answer(event, {{"accept", false}});
        return;
    }
    auto args = std::make_shared<TComPtr<TEngineDialogArgs>>();
    auto deferrals = std::make_shared<TDeferrals>(FQueue, [event, args] {
        const bool accepted = (*args)->Accepted();
        const std::string text = Utf8((*args)->ResultText().c_str());
        args->Reset();
        Record({{"event", "scriptDialog"}, {"kind", event.value("kind", 0)}, {"accept", accepted}, {"text", text}});
        TEngineLink::Instance().Send({{"op", "answer"}, {"eid", event["eid"]}, {"accept", accepted}, {"text", text}});
    });
    *args = TComPtr<TEngineDialogArgs>::Attach(new TEngineDialogArgs(event, deferrals));
    Raise<ICoreWebView2ScriptDialogOpeningEventHandler>("ScriptDialogOpening", args->Get());
    deferrals->HandlersReturned();
}

}  // namespace zorv::test
