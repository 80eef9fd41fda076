#include "EventArgs.h"

#include <objbase.h>

#include "Transcript.h"

#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

namespace zorv::test {

namespace {
template <class T>
HRESULT Answer(T* out, T value) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

HRESULT AnswerText(LPWSTR* out, const std::wstring& text) {
    if (!out) return E_POINTER;
    *out = CoTaskCopy(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}
}  // namespace

LPWSTR CoTaskCopy(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
    if (copy) std::memcpy(copy, text.c_str(), bytes);
    return copy;
}

HRESULT TStandInResponse::get_Content(IStream** content) {
    if (!content) return E_POINTER;
    *content = FContent.Get();
    if (*content) (*content)->AddRef();
    return S_OK;
}
HRESULT TStandInResponse::put_Content(IStream* content) {
    FContent = TComPtr<IStream>(content);
    return S_OK;
}
HRESULT TStandInResponse::get_StatusCode(int* status) { return Answer(status, FStatus); }
HRESULT TStandInResponse::put_StatusCode(int status) {
    FStatus = status;
    return S_OK;
}
HRESULT TStandInResponse::get_ReasonPhrase(LPWSTR* reason) { return AnswerText(reason, FReason); }
HRESULT TStandInResponse::put_ReasonPhrase(LPCWSTR reason) {
    FReason = reason ? reason : L"";
    return S_OK;
}

// The browser's one thread that reads every response body, in the multithreaded apartment. It
// takes one body at a time; the thread that hands a body over waits for it.
class TBodyReaderThread {
public:
    static TBodyReaderThread& Instance() {
        static TBodyReaderThread* thread = new TBodyReaderThread;  // lives as long as the process
        return *thread;
    }
    void Run(std::function<void()> work) {
        std::unique_lock lock(FLock);
        FWork = std::move(work);
        FDone = false;
        FWake.notify_all();
        FWake.wait(lock, [this] { return FDone; });
    }

private:
    TBodyReaderThread() : FThread([this] { Loop(); }) { FThread.detach(); }
    void Loop() {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (;;) {
            std::unique_lock lock(FLock);
            FWake.wait(lock, [this] { return static_cast<bool>(FWork); });
            std::function<void()> work = std::move(FWork);
            FWork = nullptr;
            lock.unlock();
            work();
            lock.lock();
            FDone = true;
            FWake.notify_all();
        }
    }
    std::mutex FLock;
    std::condition_variable FWake;
    std::function<void()> FWork;
    bool FDone = true;
    std::thread FThread;
};

std::string TStandInResponse::ReadBody(HRESULT& failure, bool& agile) {
    failure = S_OK;
    agile = true;
    std::string body;
    if (!FContent) return body;
    const DWORD uiThread = ::GetCurrentThreadId();
    TBodyReaderThread::Instance().Run([this, &body, &failure, &agile, uiThread] {
        // A stream that is not agile would be reached through a proxy that calls the thread that
        // made it: the user-interface thread, which may be busy or waiting for this very body.
        TComPtr<IUnknown> marker;
        agile = SUCCEEDED(FContent->QueryInterface(__uuidof(IAgileObject), reinterpret_cast<void**>(marker.Put()))) &&
                ::GetCurrentThreadId() != uiThread;
        // WebView2 reads from the start of the stream, wherever the stream was left.
        LARGE_INTEGER start{};
        if (const HRESULT rewound = FContent->Seek(start, STREAM_SEEK_SET, nullptr); FAILED(rewound)) {
            failure = rewound;
            return;
        }
        std::string buffer(32 * 1024, '\0');
        for (;;) {
            ULONG read = 0;
            const HRESULT result = FContent->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &read);
            if (FAILED(result)) {
                failure = result;
                break;
            }
            body.append(buffer.data(), read);
            if (result == S_FALSE || read == 0) break;
        }
    });
    return body;
}

HRESULT TStandInRequestHeaders::GetHeader(LPCWSTR name, LPWSTR* value) {
    if (!name || !value) return E_POINTER;
    *value = nullptr;
    const auto found = FHeaders.find(name);
    if (found == FHeaders.end()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    *value = CoTaskCopy(found->second);
    return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT TStandInRequestHeaders::Contains(LPCWSTR name, BOOL* contains) {
    if (!name || !contains) return E_POINTER;
    *contains = FHeaders.count(name) ? TRUE : FALSE;
    return S_OK;
}

HRESULT TStandInRequest::get_Headers(ICoreWebView2HttpRequestHeaders** headers) {
    if (!headers) return E_POINTER;
    *headers = FHeaders.Get();
    (*headers)->AddRef();
    return S_OK;
}

HRESULT TStandInRequest::get_Uri(LPWSTR* uri) { return AnswerText(uri, FUri); }
HRESULT TStandInRequest::get_Method(LPWSTR* method) { return AnswerText(method, L"GET"); }

TStandInResourceRequestedArgs::TStandInResourceRequestedArgs(const std::wstring& uri,
                                                             TStandInRequestHeaders::TMap headers,
                                                             COREWEBVIEW2_WEB_RESOURCE_CONTEXT context)
    : FRequest(TComPtr<TStandInRequest>::Attach(new TStandInRequest(uri, std::move(headers)))), FContext(context) {}

HRESULT TStandInResourceRequestedArgs::get_Request(ICoreWebView2WebResourceRequest** request) {
    if (!request) return E_POINTER;
    *request = FRequest.Get();
    (*request)->AddRef();
    return S_OK;
}
HRESULT TStandInResourceRequestedArgs::get_Response(ICoreWebView2WebResourceResponse** response) {
    if (!response) return E_POINTER;
    *response = FResponseHold.Get();
    if (*response) (*response)->AddRef();
    return S_OK;
}
HRESULT TStandInResourceRequestedArgs::put_Response(ICoreWebView2WebResourceResponse* response) {
    // Only responses made by this environment's CreateWebResourceResponse are accepted.
    FResponseHold = TComPtr<ICoreWebView2WebResourceResponse>(response);
    FResponse = static_cast<TStandInResponse*>(response);
    return S_OK;
}
HRESULT TStandInResourceRequestedArgs::get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) {
    return Answer(context, FContext);
}

HRESULT TStandInWebMessageArgs::get_Source(LPWSTR* source) { return AnswerText(source, FSource); }
HRESULT TStandInWebMessageArgs::get_WebMessageAsJson(LPWSTR* json) { return AnswerText(json, FJson); }
HRESULT TStandInWebMessageArgs::TryGetWebMessageAsString(LPWSTR* text) {
    if (!text) return E_POINTER;
    if (!FIsString) {
        *text = nullptr;
        return E_INVALIDARG;
    }
    return AnswerText(text, FString);
}

HRESULT TStandInNewWindowArgs::get_Uri(LPWSTR* uri) { return AnswerText(uri, FUri); }
HRESULT TStandInNewWindowArgs::put_Handled(BOOL handled) {
    FHandled = handled;
    return S_OK;
}
HRESULT TStandInNewWindowArgs::get_Handled(BOOL* handled) { return Answer(handled, FHandled); }
HRESULT TStandInNewWindowArgs::get_IsUserInitiated(BOOL* userInitiated) {
    return Answer(userInitiated, FUserInitiated);
}

HRESULT TStandInPermissionArgs::get_Uri(LPWSTR* uri) { return AnswerText(uri, FUri); }
HRESULT TStandInPermissionArgs::get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* kind) { return Answer(kind, FKind); }
HRESULT TStandInPermissionArgs::get_IsUserInitiated(BOOL* userInitiated) { return Answer(userInitiated, TRUE); }
HRESULT TStandInPermissionArgs::get_State(COREWEBVIEW2_PERMISSION_STATE* state) { return Answer(state, FState); }
HRESULT TStandInPermissionArgs::put_State(COREWEBVIEW2_PERMISSION_STATE state) {
    FState = state;
    return S_OK;
}
HRESULT TStandInPermissionArgs::get_Handled(BOOL* handled) { return Answer(handled, FHandled); }
HRESULT TStandInPermissionArgs::put_Handled(BOOL handled) {
    FHandled = handled;
    return S_OK;
}
HRESULT TStandInPermissionArgs::get_SavesInProfile(BOOL* saves) { return Answer(saves, FSavesInProfile); }
HRESULT TStandInPermissionArgs::put_SavesInProfile(BOOL saves) {
    FSavesInProfile = saves;
    return S_OK;
}

HRESULT TStandInNavigationStartingArgs::get_Uri(LPWSTR* uri) { return AnswerText(uri, FUri); }
HRESULT TStandInNavigationStartingArgs::get_IsUserInitiated(BOOL* value) { return Answer(value, FALSE); }
HRESULT TStandInNavigationStartingArgs::get_IsRedirected(BOOL* value) { return Answer(value, FALSE); }
HRESULT TStandInNavigationStartingArgs::get_Cancel(BOOL* cancel) { return Answer(cancel, FCancel); }
HRESULT TStandInNavigationStartingArgs::put_Cancel(BOOL cancel) {
    FCancel = cancel;
    return S_OK;
}
HRESULT TStandInNavigationStartingArgs::get_NavigationId(UINT64* id) { return Answer(id, FId); }

HRESULT TStandInNavigationCompletedArgs::get_IsSuccess(BOOL* success) { return Answer(success, FSuccess); }
HRESULT TStandInNavigationCompletedArgs::get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* status) {
    return Answer(status, FStatus);
}
HRESULT TStandInNavigationCompletedArgs::get_NavigationId(UINT64* id) { return Answer(id, FId); }

HRESULT TStandInSourceChangedArgs::get_IsNewDocument(BOOL* isNew) { return Answer(isNew, TRUE); }

HRESULT TStandInContentLoadingArgs::get_IsErrorPage(BOOL* isErrorPage) { return Answer(isErrorPage, FIsErrorPage); }
HRESULT TStandInContentLoadingArgs::get_NavigationId(UINT64* id) { return Answer(id, FId); }

HRESULT TStandInProcessFailedArgs::get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* kind) {
    return Answer(kind, FKind);
}

// ---- download ----

namespace {
// E_ILLEGAL_METHOD_CALL: what WebView2 answers on arguments whose event is over.
constexpr HRESULT IllegalMethodCall = static_cast<HRESULT>(0x8000000EL);

class TStandInDeferral final : public TComObject<ICoreWebView2Deferral> {
public:
    explicit TStandInDeferral(TComPtr<TStandInDownloadArgs> args) : FArgs(std::move(args)) {}
    HRESULT STDMETHODCALLTYPE Complete() override {
        if (FCompleted) return IllegalMethodCall;
        FCompleted = true;
        FArgs->CompleteDeferral();
        return S_OK;
    }

private:
    TComPtr<TStandInDownloadArgs> FArgs;
    bool FCompleted = false;
};
}  // namespace

bool TStandInDownloadArgs::Unusable(const char* method) const {
    if (!FEventEnded || FPendingDeferrals > 0) return false;
    TTranscript::Instance().Write({{"event", "argsUsedAfterEvent"}, {"args", "DownloadStarting"}, {"method", method}});
    return true;
}
#define ZORV_STANDIN_USABLE() \
    if (Unusable(__func__)) return IllegalMethodCall

HRESULT TStandInDownloadArgs::get_DownloadOperation(ICoreWebView2DownloadOperation** operation) {
    ZORV_STANDIN_USABLE();
    if (operation) *operation = nullptr;
    return E_NOTIMPL;
}
HRESULT TStandInDownloadArgs::get_Cancel(BOOL* cancel) {
    ZORV_STANDIN_USABLE();
    return Answer(cancel, FCancel);
}
HRESULT TStandInDownloadArgs::put_Cancel(BOOL cancel) {
    ZORV_STANDIN_USABLE();
    FCancel = cancel;
    return S_OK;
}
HRESULT TStandInDownloadArgs::get_ResultFilePath(LPWSTR* path) {
    ZORV_STANDIN_USABLE();
    return AnswerText(path, FResultFilePath);
}
HRESULT TStandInDownloadArgs::put_ResultFilePath(LPCWSTR path) {
    ZORV_STANDIN_USABLE();
    if (!path) return E_INVALIDARG;
    FResultFilePath = path;
    return S_OK;
}
HRESULT TStandInDownloadArgs::get_Handled(BOOL* handled) {
    ZORV_STANDIN_USABLE();
    return Answer(handled, FHandled);
}
HRESULT TStandInDownloadArgs::put_Handled(BOOL handled) {
    ZORV_STANDIN_USABLE();
    FHandled = handled;
    return S_OK;
}
HRESULT TStandInDownloadArgs::GetDeferral(ICoreWebView2Deferral** deferral) {
    ZORV_STANDIN_USABLE();
    if (!deferral) return E_POINTER;
    ++FPendingDeferrals;
    *deferral = new TStandInDeferral(TComPtr<TStandInDownloadArgs>(this));
    return S_OK;
}
#undef ZORV_STANDIN_USABLE

}  // namespace zorv::test
