#include "EventArgs.h"

#include <objbase.h>

#include <cstring>
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

std::string TStandInResponse::ReadBody(HRESULT& failure) {
    failure = S_OK;
    std::string body;
    if (!FContent) return body;
    std::thread reader([this, &body, &failure] {
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
    reader.join();
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

}  // namespace zorv::test
