#pragma once
// The event arguments the stand-in web view raises, each holding what the page or the user gave
// and what the runtime answered (response, handled flag, permission state, cancel).

#include <windows.h>

#include <map>
#include <string>

#include "WebView2NotImplemented.h"
#include "shared/Win32Handles.h"

namespace zorv::test {

LPWSTR CoTaskCopy(const std::wstring& text);

class TStandInResponse final : public TNotImplementedWebResourceResponse {
public:
    TStandInResponse(IStream* content, int status, std::wstring reason, std::wstring headers)
        : FContent(content), FStatus(status), FReason(std::move(reason)), FHeaders(std::move(headers)) {}
    HRESULT STDMETHODCALLTYPE get_Content(IStream** content) override;
    HRESULT STDMETHODCALLTYPE put_Content(IStream* content) override;
    HRESULT STDMETHODCALLTYPE get_StatusCode(int* status) override;
    HRESULT STDMETHODCALLTYPE put_StatusCode(int status) override;
    HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR* reason) override;
    HRESULT STDMETHODCALLTYPE put_ReasonPhrase(LPCWSTR reason) override;
    const std::wstring& Headers() const { return FHeaders; }
    // Reads the body as the browser does: after the event handler returned, on the one thread
    // that reads every body (not the user-interface thread), rewound to its start first, in pieces
    // smaller than the body. A failed read ends the body; its HRESULT is kept in `failure`.
    // `agile` tells whether the stream answers IAgileObject, so that the reader calls it directly.
    std::string ReadBody(HRESULT& failure, bool& agile);

private:
    TComPtr<IStream> FContent;
    int FStatus;
    std::wstring FReason;
    std::wstring FHeaders;
};

// Request headers by name; names compare without regard to case, as in HTTP.
class TStandInRequestHeaders final : public TComObject<ICoreWebView2HttpRequestHeaders> {
public:
    struct TNoCase {
        bool operator()(const std::wstring& a, const std::wstring& b) const {
            return ::_wcsicmp(a.c_str(), b.c_str()) < 0;
        }
    };
    using TMap = std::map<std::wstring, std::wstring, TNoCase>;
    explicit TStandInRequestHeaders(TMap headers) : FHeaders(std::move(headers)) {}
    HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE GetHeaders(LPCWSTR, ICoreWebView2HttpHeadersCollectionIterator**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* contains) override;
    HRESULT STDMETHODCALLTYPE SetHeader(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveHeader(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIterator(ICoreWebView2HttpHeadersCollectionIterator**) override { return E_NOTIMPL; }

private:
    TMap FHeaders;
};

class TStandInRequest final : public TNotImplementedWebResourceRequest {
public:
    TStandInRequest(std::wstring uri, TStandInRequestHeaders::TMap headers)
        : FUri(std::move(uri)),
          FHeaders(TComPtr<TStandInRequestHeaders>::Attach(new TStandInRequestHeaders(std::move(headers)))) {}
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override;
    HRESULT STDMETHODCALLTYPE get_Method(LPWSTR* method) override;
    HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders** headers) override;

private:
    std::wstring FUri;
    TComPtr<TStandInRequestHeaders> FHeaders;
};

class TStandInResourceRequestedArgs final : public TNotImplementedWebResourceRequestedEventArgs {
public:
    TStandInResourceRequestedArgs(const std::wstring& uri, TStandInRequestHeaders::TMap headers,
                                  COREWEBVIEW2_WEB_RESOURCE_CONTEXT context);
    HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** request) override;
    HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse** response) override;
    HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* response) override;
    HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) override;
    // The response the runtime gave, or null when it left the request to the browser.
    TStandInResponse* Response() const { return FResponse; }

private:
    TComPtr<TStandInRequest> FRequest;
    TComPtr<ICoreWebView2WebResourceResponse> FResponseHold;
    TStandInResponse* FResponse = nullptr;
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT FContext;
};

class TStandInWebMessageArgs final : public TNotImplementedWebMessageReceivedEventArgs {
public:
    // `asString` is set when the page posted a string rather than an object.
    TStandInWebMessageArgs(std::wstring source, std::wstring json, bool isString, std::wstring asString)
        : FSource(std::move(source)), FJson(std::move(json)), FIsString(isString), FString(std::move(asString)) {}
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* source) override;
    HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* json) override;
    HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* text) override;

private:
    std::wstring FSource, FJson;
    bool FIsString;
    std::wstring FString;
};

class TStandInNewWindowArgs final : public TNotImplementedNewWindowRequestedEventArgs {
public:
    TStandInNewWindowArgs(std::wstring uri, BOOL userInitiated) : FUri(std::move(uri)), FUserInitiated(userInitiated) {}
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override;
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override;
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) override;
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* userInitiated) override;
    HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2*) override { return S_OK; }
    BOOL Handled() const { return FHandled; }

private:
    std::wstring FUri;
    BOOL FUserInitiated;
    BOOL FHandled = FALSE;
};

// With SavesInProfile (TRUE unless the runtime sets it FALSE) on a runtime that has it.
class TStandInPermissionArgs final : public TNotImplementedPermissionRequestedEventArgs3 {
public:
    TStandInPermissionArgs(std::wstring uri, COREWEBVIEW2_PERMISSION_KIND kind, bool offersSavesInProfile)
        : FUri(std::move(uri)), FKind(kind), FOffersSavesInProfile(offersSavesInProfile) {}
    bool OffersSavesInProfile() const override { return FOffersSavesInProfile; }
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override;
    HRESULT STDMETHODCALLTYPE get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* kind) override;
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* userInitiated) override;
    HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_PERMISSION_STATE* state) override;
    HRESULT STDMETHODCALLTYPE put_State(COREWEBVIEW2_PERMISSION_STATE state) override;
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) override;
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override;
    HRESULT STDMETHODCALLTYPE get_SavesInProfile(BOOL* saves) override;
    HRESULT STDMETHODCALLTYPE put_SavesInProfile(BOOL saves) override;
    COREWEBVIEW2_PERMISSION_STATE State() const { return FState; }
    bool SavesInProfile() const { return FSavesInProfile != FALSE; }

private:
    std::wstring FUri;
    COREWEBVIEW2_PERMISSION_KIND FKind;
    bool FOffersSavesInProfile;
    COREWEBVIEW2_PERMISSION_STATE FState = COREWEBVIEW2_PERMISSION_STATE_DEFAULT;
    BOOL FHandled = FALSE;
    BOOL FSavesInProfile = TRUE;
};

// A download about to start. Like WebView2's, the arguments answer only while the handler runs, or
// later while a deferral taken from them is not complete; any other call is recorded
// ("argsUsedAfterEvent") and fails with E_ILLEGAL_METHOD_CALL.
class TStandInDownloadArgs final : public TComObject<ICoreWebView2DownloadStartingEventArgs> {
public:
    TStandInDownloadArgs(std::wstring uri, std::wstring resultFilePath)
        : FUri(std::move(uri)), FResultFilePath(std::move(resultFilePath)) {}
    HRESULT STDMETHODCALLTYPE get_DownloadOperation(ICoreWebView2DownloadOperation** operation) override;
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) override;
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override;
    HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* path) override;
    HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR path) override;
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) override;
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override;
    HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) override;
    // The handler has returned.
    void EndEvent() { FEventEnded = true; }
    // Decided: the handler returned with no deferral outstanding.
    bool Decided() const { return FEventEnded && FPendingDeferrals == 0; }
    void CompleteDeferral() { --FPendingDeferrals; }
    BOOL Cancelled() const { return FCancel; }
    BOOL Handled() const { return FHandled; }
    const std::wstring& ResultFilePath() const { return FResultFilePath; }
    const std::wstring& Uri() const { return FUri; }

private:
    bool Unusable(const char* method) const;
    std::wstring FUri;
    std::wstring FResultFilePath;
    BOOL FCancel = FALSE;
    BOOL FHandled = FALSE;
    bool FEventEnded = false;
    int FPendingDeferrals = 0;
};

class TStandInNavigationStartingArgs final : public TComObject<ICoreWebView2NavigationStartingEventArgs> {
public:
    TStandInNavigationStartingArgs(std::wstring uri, UINT64 id) : FUri(std::move(uri)), FId(id) {}
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override;
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_RequestHeaders(ICoreWebView2HttpRequestHeaders**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) override;
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override;
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* id) override;
    BOOL Cancelled() const { return FCancel; }

private:
    std::wstring FUri;
    UINT64 FId;
    BOOL FCancel = FALSE;
};

class TStandInNavigationCompletedArgs final : public TComObject<ICoreWebView2NavigationCompletedEventArgs> {
public:
    TStandInNavigationCompletedArgs(UINT64 id, BOOL success, COREWEBVIEW2_WEB_ERROR_STATUS status)
        : FId(id), FSuccess(success), FStatus(status) {}
    HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* success) override;
    HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* status) override;
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* id) override;

private:
    UINT64 FId;
    BOOL FSuccess;
    COREWEBVIEW2_WEB_ERROR_STATUS FStatus;
};

class TStandInSourceChangedArgs final : public TComObject<ICoreWebView2SourceChangedEventArgs> {
public:
    HRESULT STDMETHODCALLTYPE get_IsNewDocument(BOOL* isNew) override;
};

class TStandInContentLoadingArgs final : public TComObject<ICoreWebView2ContentLoadingEventArgs> {
public:
    TStandInContentLoadingArgs(UINT64 id, BOOL isErrorPage) : FId(id), FIsErrorPage(isErrorPage) {}
    HRESULT STDMETHODCALLTYPE get_IsErrorPage(BOOL* isErrorPage) override;
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* id) override;

private:
    UINT64 FId;
    BOOL FIsErrorPage;
};

class TStandInProcessFailedArgs final : public TComObject<ICoreWebView2ProcessFailedEventArgs> {
public:
    explicit TStandInProcessFailedArgs(COREWEBVIEW2_PROCESS_FAILED_KIND kind) : FKind(kind) {}
    HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* kind) override;

private:
    COREWEBVIEW2_PROCESS_FAILED_KIND FKind;
};

}  // namespace zorv::test
