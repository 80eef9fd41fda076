#pragma once
// Test doubles' common base: every method of a WebView2 interface answers E_NOTIMPL, and IUnknown
// counts references and answers for IUnknown and the interface itself. Fakes derive from these
// and override only what a test looks at. Generated from the interface declarations.

#include <atomic>

#include "backends/win32/WebView2Abi.h"

namespace zorv::test {

template <class I>
class TComObject : public I {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(I))) {
            *object = static_cast<I*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefCount; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG count = --FRefCount;
        if (count == 0) delete this;
        return count;
    }
    ULONG RefCount() const { return FRefCount; }

protected:
    TComObject() = default;
    virtual ~TComObject() = default;

private:
    std::atomic<ULONG> FRefCount{1};
};

// The methods of ICoreWebView2, for a double of `I`: ICoreWebView2 itself or a later interface.
template <class I>
class TNotImplementedWebViewOf : public TComObject<I> {
public:
    HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler*,
                                                     EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_ContentLoading(ICoreWebView2ContentLoadingEventHandler*,
                                                 EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_SourceChanged(ICoreWebView2SourceChangedEventHandler*,
                                                EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_HistoryChanged(ICoreWebView2HistoryChangedEventHandler*,
                                                 EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_NavigationCompleted(ICoreWebView2NavigationCompletedEventHandler*,
                                                      EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(ICoreWebView2NavigationStartingEventHandler*,
                                                          EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_FrameNavigationCompleted(ICoreWebView2NavigationCompletedEventHandler*,
                                                           EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_FrameNavigationCompleted(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(ICoreWebView2ScriptDialogOpeningEventHandler*,
                                                      EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler*,
                                                      EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler*,
                                                EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR, ICoreWebView2ExecuteScriptCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT, IStream*,
                                             ICoreWebView2CapturePreviewCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Reload() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler*,
                                                     EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE
    CallDevToolsProtocolMethod(LPCWSTR, LPCWSTR, ICoreWebView2CallDevToolsProtocolMethodCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GoBack() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GoForward() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(LPCWSTR,
                                                               ICoreWebView2DevToolsProtocolEventReceiver**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler*,
                                                     EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_DocumentTitleChanged(ICoreWebView2DocumentTitleChangedEventHandler*,
                                                       EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_DocumentTitleChanged(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_ContainsFullScreenElementChanged(
        ICoreWebView2ContainsFullScreenElementChangedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ContainsFullScreenElementChanged(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_WebResourceRequested(ICoreWebView2WebResourceRequestedEventHandler*,
                                                       EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(LPCWSTR const,
                                                            COREWEBVIEW2_WEB_RESOURCE_CONTEXT const) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(LPCWSTR const,
                                                               COREWEBVIEW2_WEB_RESOURCE_CONTEXT const) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_WindowCloseRequested(ICoreWebView2WindowCloseRequestedEventHandler*,
                                                       EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_WindowCloseRequested(EventRegistrationToken) override { return E_NOTIMPL; }
};
using TNotImplementedWebView = TNotImplementedWebViewOf<ICoreWebView2>;

// A web view of a current runtime: ICoreWebView2_22 and its whole base chain. QueryInterface
// answers for each of them unless OffersLaterInterfaces says otherwise (a runtime older than 122
// has none of _5 to _22; _2 to _4 are answered then, as runtimes since 2021 do).
class TNotImplementedWebView22 : public TNotImplementedWebViewOf<ICoreWebView2_22> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        const bool earlier = IsEqualIID(riid, __uuidof(ICoreWebView2)) || IsEqualIID(riid, __uuidof(ICoreWebView2_2)) ||
                             IsEqualIID(riid, __uuidof(ICoreWebView2_3));
        if (earlier || (IsEqualIID(riid, __uuidof(ICoreWebView2_22)) && OffersLaterInterfaces())) {
            *object = static_cast<ICoreWebView2_22*>(this);
            AddRef();
            return S_OK;
        }
        if (IsEqualIID(riid, __uuidof(ICoreWebView2_4)) && OffersDownloadEvents()) {
            *object = static_cast<ICoreWebView2_4*>(this);
            AddRef();
            return S_OK;
        }
        if (IsEqualIID(riid, __uuidof(ICoreWebView2_22)) || IsEqualIID(riid, __uuidof(ICoreWebView2_4))) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return TNotImplementedWebViewOf<ICoreWebView2_22>::QueryInterface(riid, object);
    }
    virtual bool OffersLaterInterfaces() const { return true; }
    // ICoreWebView2_4 (runtime 92 and later, answered whatever OffersLaterInterfaces says) and its
    // DownloadStarting event.
    virtual bool OffersDownloadEvents() const { return true; }

    HRESULT STDMETHODCALLTYPE add_WebResourceResponseReceived(ICoreWebView2WebResourceResponseReceivedEventHandler*,
                                                              EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_WebResourceResponseReceived(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_DOMContentLoaded(ICoreWebView2DOMContentLoadedEventHandler*,
                                                   EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_DOMContentLoaded(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CookieManager(ICoreWebView2CookieManager**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Environment(ICoreWebView2Environment**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Resume() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVirtualHostNameToFolderMapping(LPCWSTR, LPCWSTR,
                                                                COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ClearVirtualHostNameToFolderMapping(LPCWSTR) override { return E_NOTIMPL; }
#define ZORV_NOT_IMPLEMENTED_SLOT(n) \
    HRESULT STDMETHODCALLTYPE UnusedSlot##n() override { return E_NOTIMPL; }
    ZORV_NOT_IMPLEMENTED_SLOT(73)
    ZORV_NOT_IMPLEMENTED_SLOT(74)
    ZORV_WEBVIEW2_SLOTS_77_TO_122(ZORV_NOT_IMPLEMENTED_SLOT)
#undef ZORV_NOT_IMPLEMENTED_SLOT
    HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler*,
                                                   EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilterWithRequestSourceKinds(
        LPCWSTR, COREWEBVIEW2_WEB_RESOURCE_CONTEXT, COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilterWithRequestSourceKinds(
        LPCWSTR, COREWEBVIEW2_WEB_RESOURCE_CONTEXT, COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS) override {
        return E_NOTIMPL;
    }
};

class TNotImplementedController : public TComObject<ICoreWebView2Controller> {
public:
    HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Bounds(RECT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Bounds(RECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ZoomFactor(double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ZoomFactor(double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler*,
                                                    EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ZoomFactorChanged(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT, double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler*,
                                                     EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_MoveFocusRequested(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_GotFocus(ICoreWebView2FocusChangedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_LostFocus(ICoreWebView2FocusChangedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler*,
                                                        EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Close() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2**) override { return E_NOTIMPL; }
};

class TNotImplementedEnvironment : public TComObject<ICoreWebView2Environment> {
public:
    HRESULT STDMETHODCALLTYPE
    CreateCoreWebView2Controller(HWND, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream*, int, LPCWSTR, LPCWSTR,
                                                        ICoreWebView2WebResourceResponse**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(ICoreWebView2NewBrowserVersionAvailableEventHandler*,
                                                             EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(EventRegistrationToken) override { return E_NOTIMPL; }
};

class TNotImplementedSettings : public TComObject<ICoreWebView2Settings> {
public:
    HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AreDefaultScriptDialogsEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL) override { return E_NOTIMPL; }
};

class TNotImplementedWebResourceRequestedEventArgs : public TComObject<ICoreWebView2WebResourceRequestedEventArgs> {
public:
    HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT*) override { return E_NOTIMPL; }
};

class TNotImplementedWebResourceRequest : public TComObject<ICoreWebView2WebResourceRequest> {
public:
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Uri(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Method(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Method(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Content(IStream**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Content(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders**) override { return E_NOTIMPL; }
};

class TNotImplementedWebResourceResponse : public TComObject<ICoreWebView2WebResourceResponse> {
public:
    HRESULT STDMETHODCALLTYPE get_Content(IStream**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Content(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpResponseHeaders**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_StatusCode(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_StatusCode(int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ReasonPhrase(LPCWSTR) override { return E_NOTIMPL; }
};

class TNotImplementedNewWindowRequestedEventArgs : public TComObject<ICoreWebView2NewWindowRequestedEventArgs> {
public:
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WindowFeatures(ICoreWebView2WindowFeatures**) override { return E_NOTIMPL; }
};

template <class I>
class TNotImplementedPermissionRequestedEventArgsOf : public TComObject<I> {
public:
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_PERMISSION_STATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_State(COREWEBVIEW2_PERMISSION_STATE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral**) override { return E_NOTIMPL; }
};
using TNotImplementedPermissionRequestedEventArgs =
    TNotImplementedPermissionRequestedEventArgsOf<ICoreWebView2PermissionRequestedEventArgs>;

// The arguments of a runtime since 111, with SavesInProfile; QueryInterface answers for the whole
// chain unless OffersSavesInProfile says otherwise (an older runtime).
class TNotImplementedPermissionRequestedEventArgs3
    : public TNotImplementedPermissionRequestedEventArgsOf<ICoreWebView2PermissionRequestedEventArgs3> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        const bool later = IsEqualIID(riid, __uuidof(ICoreWebView2PermissionRequestedEventArgs2)) ||
                           IsEqualIID(riid, __uuidof(ICoreWebView2PermissionRequestedEventArgs3));
        if (later && !OffersSavesInProfile()) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        if (later || IsEqualIID(riid, __uuidof(ICoreWebView2PermissionRequestedEventArgs))) {
            *object = static_cast<ICoreWebView2PermissionRequestedEventArgs3*>(this);
            AddRef();
            return S_OK;
        }
        return TNotImplementedPermissionRequestedEventArgsOf<
            ICoreWebView2PermissionRequestedEventArgs3>::QueryInterface(riid, object);
    }
    virtual bool OffersSavesInProfile() const { return true; }
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SavesInProfile(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_SavesInProfile(BOOL) override { return E_NOTIMPL; }
};

class TNotImplementedWebMessageReceivedEventArgs : public TComObject<ICoreWebView2WebMessageReceivedEventArgs> {
public:
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR*) override { return E_NOTIMPL; }
};

class TNotImplementedAcceleratorKeyPressedEventArgs : public TComObject<ICoreWebView2AcceleratorKeyPressedEventArgs> {
public:
    HRESULT STDMETHODCALLTYPE get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_VirtualKey(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_KeyEventLParam(INT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL) override { return E_NOTIMPL; }
};

class TNotImplementedDevToolsProtocolEventReceiver : public TComObject<ICoreWebView2DevToolsProtocolEventReceiver> {
public:
    HRESULT STDMETHODCALLTYPE add_DevToolsProtocolEventReceived(ICoreWebView2DevToolsProtocolEventReceivedEventHandler*,
                                                                EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_DevToolsProtocolEventReceived(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
};

}  // namespace zorv::test
