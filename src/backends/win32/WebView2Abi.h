#pragma once
// The WebView2 COM interfaces, enums and loader exports that the runtime uses, declared by hand
// (no WebView2 SDK header is available to the mingw-w64 build). Every interface lists every slot of
// its vtable in order, so that a call lands on the right method; interfaces are plain structs with
// pure virtual methods and no destructor, which gives the COM layout under mingw-w64.
//
// The declarations stay at global scope with the SDK's own names and depend only on the Windows
// headers, so that a DLL project (such as a stand-in loader for tests) can include this file too.

#include <windows.h>
#include <objidl.h>
#include <oaidl.h>
#include <eventtoken.h>

// ---- Enums (32-bit; later runtimes may report values past the last one listed) ----

typedef enum COREWEBVIEW2_WEB_RESOURCE_CONTEXT {
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL = 0,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT = 1,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_STYLESHEET = 2,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_IMAGE = 3,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MEDIA = 4,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FONT = 5,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SCRIPT = 6,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_XML_HTTP_REQUEST = 7,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FETCH = 8,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_TEXT_TRACK = 9,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_EVENT_SOURCE = 10,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_WEBSOCKET = 11,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MANIFEST = 12,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SIGNED_EXCHANGE = 13,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_PING = 14,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_CSP_VIOLATION_REPORT = 15,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER = 16,
} COREWEBVIEW2_WEB_RESOURCE_CONTEXT;

typedef enum COREWEBVIEW2_PERMISSION_STATE {
    COREWEBVIEW2_PERMISSION_STATE_DEFAULT = 0,
    COREWEBVIEW2_PERMISSION_STATE_ALLOW = 1,
    COREWEBVIEW2_PERMISSION_STATE_DENY = 2,
} COREWEBVIEW2_PERMISSION_STATE;

typedef enum COREWEBVIEW2_PERMISSION_KIND {
    COREWEBVIEW2_PERMISSION_KIND_UNKNOWN_PERMISSION = 0,
    COREWEBVIEW2_PERMISSION_KIND_MICROPHONE = 1,
    COREWEBVIEW2_PERMISSION_KIND_CAMERA = 2,
    COREWEBVIEW2_PERMISSION_KIND_GEOLOCATION = 3,
    COREWEBVIEW2_PERMISSION_KIND_NOTIFICATIONS = 4,
    COREWEBVIEW2_PERMISSION_KIND_OTHER_SENSORS = 5,
    COREWEBVIEW2_PERMISSION_KIND_CLIPBOARD_READ = 6,
} COREWEBVIEW2_PERMISSION_KIND;

typedef enum COREWEBVIEW2_MOVE_FOCUS_REASON {
    COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC = 0,
    COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT = 1,
    COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS = 2,
} COREWEBVIEW2_MOVE_FOCUS_REASON;

typedef enum COREWEBVIEW2_KEY_EVENT_KIND {
    COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN = 0,
    COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP = 1,
    COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN = 2,
    COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_UP = 3,
} COREWEBVIEW2_KEY_EVENT_KIND;

typedef enum COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT {
    COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG = 0,
    COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG = 1,
} COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT;

typedef enum COREWEBVIEW2_PROCESS_FAILED_KIND {
    COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED = 0,
    COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED = 1,
    COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE = 2,
    COREWEBVIEW2_PROCESS_FAILED_KIND_FRAME_RENDER_PROCESS_EXITED = 3,
    COREWEBVIEW2_PROCESS_FAILED_KIND_UTILITY_PROCESS_EXITED = 4,
    COREWEBVIEW2_PROCESS_FAILED_KIND_SANDBOX_HELPER_PROCESS_EXITED = 5,
    COREWEBVIEW2_PROCESS_FAILED_KIND_GPU_PROCESS_EXITED = 6,
    COREWEBVIEW2_PROCESS_FAILED_KIND_PPAPI_PLUGIN_PROCESS_EXITED = 7,
    COREWEBVIEW2_PROCESS_FAILED_KIND_PPAPI_BROKER_PROCESS_EXITED = 8,
    COREWEBVIEW2_PROCESS_FAILED_KIND_UNKNOWN_PROCESS_EXITED = 9,
} COREWEBVIEW2_PROCESS_FAILED_KIND;

typedef enum COREWEBVIEW2_WEB_ERROR_STATUS {
    COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN = 0,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_COMMON_NAME_IS_INCORRECT = 1,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_EXPIRED = 2,
    COREWEBVIEW2_WEB_ERROR_STATUS_CLIENT_CERTIFICATE_CONTAINS_ERRORS = 3,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_REVOKED = 4,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_IS_INVALID = 5,
    COREWEBVIEW2_WEB_ERROR_STATUS_SERVER_UNREACHABLE = 6,
    COREWEBVIEW2_WEB_ERROR_STATUS_TIMEOUT = 7,
    COREWEBVIEW2_WEB_ERROR_STATUS_ERROR_HTTP_INVALID_SERVER_RESPONSE = 8,
    COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_ABORTED = 9,
    COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_RESET = 10,
    COREWEBVIEW2_WEB_ERROR_STATUS_DISCONNECTED = 11,
    COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT = 12,
    COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED = 13,
    COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED = 14,
    COREWEBVIEW2_WEB_ERROR_STATUS_REDIRECT_FAILED = 15,
    COREWEBVIEW2_WEB_ERROR_STATUS_UNEXPECTED_ERROR = 16,
    COREWEBVIEW2_WEB_ERROR_STATUS_VALID_AUTHENTICATION_CREDENTIALS_REQUIRED = 17,
    COREWEBVIEW2_WEB_ERROR_STATUS_VALID_PROXY_AUTHENTICATION_REQUIRED = 18,
} COREWEBVIEW2_WEB_ERROR_STATUS;

typedef enum COREWEBVIEW2_SCRIPT_DIALOG_KIND {
    COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT = 0,
    COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM = 1,
    COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT = 2,
    COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD = 3,
} COREWEBVIEW2_SCRIPT_DIALOG_KIND;
typedef enum COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND {
    COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY = 0,
    COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_ALLOW = 1,
    COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY_CORS = 2,
} COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND;

// Flags: which sources of requests a web resource filter sees (ICoreWebView2_22).
typedef enum COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS {
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_NONE = 0x0,
    // The page with its dedicated workers and its frames (of any origin, sandboxed ones included).
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_DOCUMENT = 0x1,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SHARED_WORKER = 0x2,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SERVICE_WORKER = 0x4,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_ALL = 0xFFFFFFFF,
} COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS;
static_assert(sizeof(COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS) == 4, "a 32-bit enum, as WebView2 passes it");

// ---- Structs ----

typedef struct COREWEBVIEW2_PHYSICAL_KEY_STATUS {
    UINT32 RepeatCount;
    UINT32 ScanCode;
    BOOL IsExtendedKey;
    BOOL IsMenuKeyDown;
    BOOL WasKeyDown;
    BOOL IsKeyReleased;
} COREWEBVIEW2_PHYSICAL_KEY_STATUS;
static_assert(sizeof(COREWEBVIEW2_PHYSICAL_KEY_STATUS) == 24);

typedef struct COREWEBVIEW2_COLOR {
    BYTE A;
    BYTE R;
    BYTE G;
    BYTE B;
} COREWEBVIEW2_COLOR;
static_assert(sizeof(COREWEBVIEW2_COLOR) == 4);
static_assert(sizeof(EventRegistrationToken) == 8);

// ---- Interfaces ----

// Forward declarations, including the handler types of later interfaces that are never implemented here.
struct ICoreWebView2CookieManager;
struct ICoreWebView2DOMContentLoadedEventHandler;
struct ICoreWebView2TrySuspendCompletedHandler;
struct ICoreWebView2WebResourceResponseReceivedEventHandler;
struct ICoreWebView2Environment;
struct ICoreWebView2Controller;
struct ICoreWebView2;
struct ICoreWebView2Settings;
struct ICoreWebView2WebResourceRequestedEventArgs;
struct ICoreWebView2WebResourceRequest;
struct ICoreWebView2WebResourceResponse;
struct ICoreWebView2HttpRequestHeaders;
struct ICoreWebView2HttpResponseHeaders;
struct ICoreWebView2HttpHeadersCollectionIterator;
struct ICoreWebView2NewWindowRequestedEventArgs;
struct ICoreWebView2WindowFeatures;
struct ICoreWebView2PermissionRequestedEventArgs;
struct ICoreWebView2WebMessageReceivedEventArgs;
struct ICoreWebView2NavigationStartingEventArgs;
struct ICoreWebView2NavigationCompletedEventArgs;
struct ICoreWebView2SourceChangedEventArgs;
struct ICoreWebView2ContentLoadingEventArgs;
struct ICoreWebView2ProcessFailedEventArgs;
struct ICoreWebView2ScriptDialogOpeningEventArgs;
struct ICoreWebView2MoveFocusRequestedEventArgs;
struct ICoreWebView2AcceleratorKeyPressedEventArgs;
struct ICoreWebView2DevToolsProtocolEventReceiver;
struct ICoreWebView2DevToolsProtocolEventReceivedEventArgs;
struct ICoreWebView2Deferral;
struct ICoreWebView2EnvironmentOptions;
struct ICoreWebView2_2;
struct ICoreWebView2_3;
struct ICoreWebView2Controller2;
struct ICoreWebView2Settings2;
struct ICoreWebView2Settings3;
struct ICoreWebView2Environment2;
struct ICoreWebView2EnvironmentOptions2;
struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler;
struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler;
struct ICoreWebView2ExecuteScriptCompletedHandler;
struct ICoreWebView2CapturePreviewCompletedHandler;
struct ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler;
struct ICoreWebView2CallDevToolsProtocolMethodCompletedHandler;
struct ICoreWebView2NavigationStartingEventHandler;
struct ICoreWebView2ContentLoadingEventHandler;
struct ICoreWebView2SourceChangedEventHandler;
struct ICoreWebView2HistoryChangedEventHandler;
struct ICoreWebView2NavigationCompletedEventHandler;
struct ICoreWebView2ScriptDialogOpeningEventHandler;
struct ICoreWebView2PermissionRequestedEventHandler;
struct ICoreWebView2ProcessFailedEventHandler;
struct ICoreWebView2WebMessageReceivedEventHandler;
struct ICoreWebView2NewWindowRequestedEventHandler;
struct ICoreWebView2DocumentTitleChangedEventHandler;
struct ICoreWebView2ContainsFullScreenElementChangedEventHandler;
struct ICoreWebView2WebResourceRequestedEventHandler;
struct ICoreWebView2WindowCloseRequestedEventHandler;
struct ICoreWebView2ZoomFactorChangedEventHandler;
struct ICoreWebView2MoveFocusRequestedEventHandler;
struct ICoreWebView2FocusChangedEventHandler;
struct ICoreWebView2AcceleratorKeyPressedEventHandler;
struct ICoreWebView2DevToolsProtocolEventReceivedEventHandler;
struct ICoreWebView2NewBrowserVersionAvailableEventHandler;

struct ICoreWebView2Environment : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;  // slot 3
    virtual HRESULT STDMETHODCALLTYPE
    CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase, LPCWSTR headers,
                              ICoreWebView2WebResourceResponse** response) = 0;           // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* versionInfo) = 0;  // slot 5
    virtual HRESULT STDMETHODCALLTYPE
    add_NewBrowserVersionAvailable(ICoreWebView2NewBrowserVersionAvailableEventHandler* eventHandler,
                                   EventRegistrationToken* token) = 0;                                      // slot 6
    virtual HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(EventRegistrationToken token) = 0;  // slot 7
};
__CRT_UUID_DECL(ICoreWebView2Environment, 0xb96d755e, 0x0319, 0x4e92, 0xa2, 0x96, 0x23, 0x43, 0x6f, 0x46, 0xa1, 0xfc)

struct ICoreWebView2Controller : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) = 0;      // slot 3
    virtual HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) = 0;       // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) = 0;            // slot 5
    virtual HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) = 0;             // slot 6
    virtual HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* zoomFactor) = 0;  // slot 7
    virtual HRESULT STDMETHODCALLTYPE put_ZoomFactor(double zoomFactor) = 0;   // slot 8
    virtual HRESULT STDMETHODCALLTYPE add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler* eventHandler,
                                                            EventRegistrationToken* token) = 0;    // slot 9
    virtual HRESULT STDMETHODCALLTYPE remove_ZoomFactorChanged(EventRegistrationToken token) = 0;  // slot 10
    virtual HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) = 0;  // slot 11
    virtual HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) = 0;        // slot 12
    virtual HRESULT STDMETHODCALLTYPE add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler* eventHandler,
                                                             EventRegistrationToken* token) = 0;    // slot 13
    virtual HRESULT STDMETHODCALLTYPE remove_MoveFocusRequested(EventRegistrationToken token) = 0;  // slot 14
    virtual HRESULT STDMETHODCALLTYPE add_GotFocus(ICoreWebView2FocusChangedEventHandler* eventHandler,
                                                   EventRegistrationToken* token) = 0;    // slot 15
    virtual HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken token) = 0;  // slot 16
    virtual HRESULT STDMETHODCALLTYPE add_LostFocus(ICoreWebView2FocusChangedEventHandler* eventHandler,
                                                    EventRegistrationToken* token) = 0;    // slot 17
    virtual HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken token) = 0;  // slot 18
    virtual HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(
        ICoreWebView2AcceleratorKeyPressedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 19
    virtual HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken token) = 0;      // slot 20
    virtual HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) = 0;                            // slot 21
    virtual HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parentWindow) = 0;                             // slot 22
    virtual HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() = 0;                             // slot 23
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;                                                         // slot 24
    virtual HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) = 0;                  // slot 25
};
__CRT_UUID_DECL(ICoreWebView2Controller, 0x4d00c0d1, 0x9434, 0x4eb6, 0x80, 0x78, 0x86, 0x97, 0xa5, 0x60, 0x33, 0x4f)

struct ICoreWebView2 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) = 0;  // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) = 0;                         // slot 4
    virtual HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) = 0;                           // slot 5
    virtual HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR htmlContent) = 0;           // slot 6
    virtual HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* eventHandler,
                                                             EventRegistrationToken* token) = 0;    // slot 7
    virtual HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken token) = 0;  // slot 8
    virtual HRESULT STDMETHODCALLTYPE add_ContentLoading(ICoreWebView2ContentLoadingEventHandler* eventHandler,
                                                         EventRegistrationToken* token) = 0;    // slot 9
    virtual HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken token) = 0;  // slot 10
    virtual HRESULT STDMETHODCALLTYPE add_SourceChanged(ICoreWebView2SourceChangedEventHandler* eventHandler,
                                                        EventRegistrationToken* token) = 0;    // slot 11
    virtual HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken token) = 0;  // slot 12
    virtual HRESULT STDMETHODCALLTYPE add_HistoryChanged(ICoreWebView2HistoryChangedEventHandler* eventHandler,
                                                         EventRegistrationToken* token) = 0;    // slot 13
    virtual HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken token) = 0;  // slot 14
    virtual HRESULT STDMETHODCALLTYPE add_NavigationCompleted(
        ICoreWebView2NavigationCompletedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 15
    virtual HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken token) = 0;      // slot 16
    virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(
        ICoreWebView2NavigationStartingEventHandler* eventHandler, EventRegistrationToken* token) = 0;   // slot 17
    virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken token) = 0;  // slot 18
    virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationCompleted(
        ICoreWebView2NavigationCompletedEventHandler* eventHandler, EventRegistrationToken* token) = 0;   // slot 19
    virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationCompleted(EventRegistrationToken token) = 0;  // slot 20
    virtual HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(
        ICoreWebView2ScriptDialogOpeningEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 21
    virtual HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(EventRegistrationToken token) = 0;      // slot 22
    virtual HRESULT STDMETHODCALLTYPE add_PermissionRequested(
        ICoreWebView2PermissionRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 23
    virtual HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken token) = 0;      // slot 24
    virtual HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* eventHandler,
                                                        EventRegistrationToken* token) = 0;    // slot 25
    virtual HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken token) = 0;  // slot 26
    virtual HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) = 0;  // slot 27
    virtual HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) = 0;                // slot 28
    virtual HRESULT STDMETHODCALLTYPE
    ExecuteScript(LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler) = 0;  // slot 29
    virtual HRESULT STDMETHODCALLTYPE
    CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat, IStream* imageStream,
                   ICoreWebView2CapturePreviewCompletedHandler* handler) = 0;                  // slot 30
    virtual HRESULT STDMETHODCALLTYPE Reload() = 0;                                            // slot 31
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) = 0;      // slot 32
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) = 0;  // slot 33
    virtual HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler,
                                                             EventRegistrationToken* token) = 0;    // slot 34
    virtual HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken token) = 0;  // slot 35
    virtual HRESULT STDMETHODCALLTYPE
    CallDevToolsProtocolMethod(LPCWSTR methodName, LPCWSTR parametersAsJson,
                               ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) = 0;  // slot 36
    virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) = 0;                         // slot 37
    virtual HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* canGoBack) = 0;                              // slot 38
    virtual HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* canGoForward) = 0;                        // slot 39
    virtual HRESULT STDMETHODCALLTYPE GoBack() = 0;                                                    // slot 40
    virtual HRESULT STDMETHODCALLTYPE GoForward() = 0;                                                 // slot 41
    virtual HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(
        LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** receiver) = 0;  // slot 42
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;                                       // slot 43
    virtual HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* eventHandler,
                                                             EventRegistrationToken* token) = 0;    // slot 44
    virtual HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken token) = 0;  // slot 45
    virtual HRESULT STDMETHODCALLTYPE add_DocumentTitleChanged(
        ICoreWebView2DocumentTitleChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 46
    virtual HRESULT STDMETHODCALLTYPE remove_DocumentTitleChanged(EventRegistrationToken token) = 0;      // slot 47
    virtual HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) = 0;                               // slot 48
    virtual HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR name, VARIANT* object) = 0;           // slot 49
    virtual HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR name) = 0;                       // slot 50
    virtual HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() = 0;                                           // slot 51
    virtual HRESULT STDMETHODCALLTYPE
    add_ContainsFullScreenElementChanged(ICoreWebView2ContainsFullScreenElementChangedEventHandler* eventHandler,
                                         EventRegistrationToken* token) = 0;  // slot 52
    virtual HRESULT STDMETHODCALLTYPE
    remove_ContainsFullScreenElementChanged(EventRegistrationToken token) = 0;                             // slot 53
    virtual HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(BOOL* containsFullScreenElement) = 0;  // slot 54
    virtual HRESULT STDMETHODCALLTYPE add_WebResourceRequested(
        ICoreWebView2WebResourceRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 55
    virtual HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken token) = 0;      // slot 56
    virtual HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(
        LPCWSTR const uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT const resourceContext) = 0;  // slot 57
    virtual HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(
        LPCWSTR const uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT const resourceContext) = 0;  // slot 58
    virtual HRESULT STDMETHODCALLTYPE add_WindowCloseRequested(
        ICoreWebView2WindowCloseRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 59
    virtual HRESULT STDMETHODCALLTYPE remove_WindowCloseRequested(EventRegistrationToken token) = 0;      // slot 60
};
__CRT_UUID_DECL(ICoreWebView2, 0x76eceacb, 0x0462, 0x4d94, 0xac, 0x83, 0x42, 0x3a, 0x67, 0x93, 0x77, 0x5e)

struct ICoreWebView2Settings : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL* isScriptEnabled) = 0;          // slot 3
    virtual HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL isScriptEnabled) = 0;           // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL* isWebMessageEnabled) = 0;  // slot 5
    virtual HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL isWebMessageEnabled) = 0;   // slot 6
    virtual HRESULT STDMETHODCALLTYPE
    get_AreDefaultScriptDialogsEnabled(BOOL* areDefaultScriptDialogsEnabled) = 0;  // slot 7
    virtual HRESULT STDMETHODCALLTYPE
    put_AreDefaultScriptDialogsEnabled(BOOL areDefaultScriptDialogsEnabled) = 0;             // slot 8
    virtual HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL* isStatusBarEnabled) = 0;  // slot 9
    virtual HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL isStatusBarEnabled) = 0;   // slot 10
    virtual HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL* areDevToolsEnabled) = 0;  // slot 11
    virtual HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL areDevToolsEnabled) = 0;   // slot 12
    virtual HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL* enabled) = 0;  // slot 13
    virtual HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL enabled) = 0;   // slot 14
    virtual HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL* allowed) = 0;          // slot 15
    virtual HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL allowed) = 0;           // slot 16
    virtual HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL* enabled) = 0;           // slot 17
    virtual HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL enabled) = 0;            // slot 18
    virtual HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL* enabled) = 0;      // slot 19
    virtual HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL enabled) = 0;       // slot 20
};
__CRT_UUID_DECL(ICoreWebView2Settings, 0xe562e4f0, 0xd7fa, 0x43ac, 0x8d, 0x71, 0xc0, 0x51, 0x50, 0x49, 0x9f, 0x00)

struct ICoreWebView2WebResourceRequestedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** request) = 0;           // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse** response) = 0;        // slot 4
    virtual HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* response) = 0;         // slot 5
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;                    // slot 6
    virtual HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) = 0;  // slot 7
};
__CRT_UUID_DECL(ICoreWebView2WebResourceRequestedEventArgs, 0x453e667f, 0x12c7, 0x49d4, 0xbe, 0x6d, 0xdd, 0xbe, 0x79,
                0x56, 0xf5, 0x7a)

struct ICoreWebView2WebResourceRequest : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;                                    // slot 3
    virtual HRESULT STDMETHODCALLTYPE put_Uri(LPCWSTR uri) = 0;                                    // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_Method(LPWSTR* method) = 0;                              // slot 5
    virtual HRESULT STDMETHODCALLTYPE put_Method(LPCWSTR method) = 0;                              // slot 6
    virtual HRESULT STDMETHODCALLTYPE get_Content(IStream** content) = 0;                          // slot 7
    virtual HRESULT STDMETHODCALLTYPE put_Content(IStream* content) = 0;                           // slot 8
    virtual HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders** headers) = 0;  // slot 9
};
__CRT_UUID_DECL(ICoreWebView2WebResourceRequest, 0x97055cd4, 0x512c, 0x4264, 0x8b, 0x5f, 0xe3, 0xf4, 0x46, 0xce, 0xa6,
                0xa5)

struct ICoreWebView2WebResourceResponse : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Content(IStream** content) = 0;                           // slot 3
    virtual HRESULT STDMETHODCALLTYPE put_Content(IStream* content) = 0;                            // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpResponseHeaders** headers) = 0;  // slot 5
    virtual HRESULT STDMETHODCALLTYPE get_StatusCode(int* statusCode) = 0;                          // slot 6
    virtual HRESULT STDMETHODCALLTYPE put_StatusCode(int statusCode) = 0;                           // slot 7
    virtual HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR* reasonPhrase) = 0;                   // slot 8
    virtual HRESULT STDMETHODCALLTYPE put_ReasonPhrase(LPCWSTR reasonPhrase) = 0;                   // slot 9
};
__CRT_UUID_DECL(ICoreWebView2WebResourceResponse, 0xaafcc94f, 0xfa27, 0x48fd, 0x97, 0xdf, 0x83, 0x0e, 0xf7, 0x5a, 0xae,
                0xc9)

struct ICoreWebView2HttpRequestHeaders : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) = 0;  // slot 3
    virtual HRESULT STDMETHODCALLTYPE GetHeaders(LPCWSTR name,
                                                 ICoreWebView2HttpHeadersCollectionIterator** iterator) = 0;   // slot 4
    virtual HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* contains) = 0;                              // slot 5
    virtual HRESULT STDMETHODCALLTYPE SetHeader(LPCWSTR name, LPCWSTR value) = 0;                              // slot 6
    virtual HRESULT STDMETHODCALLTYPE RemoveHeader(LPCWSTR name) = 0;                                          // slot 7
    virtual HRESULT STDMETHODCALLTYPE GetIterator(ICoreWebView2HttpHeadersCollectionIterator** iterator) = 0;  // slot 8
};
__CRT_UUID_DECL(ICoreWebView2HttpRequestHeaders, 0xe86cac0e, 0x5523, 0x465c, 0xb5, 0x36, 0x8f, 0xb9, 0xfc, 0x8c, 0x8c,
                0x60)

struct ICoreWebView2HttpResponseHeaders : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AppendHeader(LPCWSTR name, LPCWSTR value) = 0;  // slot 3
    virtual HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* contains) = 0;     // slot 4
    virtual HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) = 0;     // slot 5
    virtual HRESULT STDMETHODCALLTYPE GetHeaders(LPCWSTR name,
                                                 ICoreWebView2HttpHeadersCollectionIterator** iterator) = 0;   // slot 6
    virtual HRESULT STDMETHODCALLTYPE GetIterator(ICoreWebView2HttpHeadersCollectionIterator** iterator) = 0;  // slot 7
};
__CRT_UUID_DECL(ICoreWebView2HttpResponseHeaders, 0x03c5ff5a, 0x9b45, 0x4a88, 0x88, 0x1c, 0x89, 0xa9, 0xf3, 0x28, 0x61,
                0x9c)

struct ICoreWebView2HttpHeadersCollectionIterator : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetCurrentHeader(LPWSTR* name, LPWSTR* value) = 0;  // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_HasCurrentHeader(BOOL* hasCurrent) = 0;         // slot 4
    virtual HRESULT STDMETHODCALLTYPE MoveNext(BOOL* hasNext) = 0;                        // slot 5
};
__CRT_UUID_DECL(ICoreWebView2HttpHeadersCollectionIterator, 0x0702fc30, 0xf43b, 0x47bb, 0xab, 0x52, 0xa4, 0x2c, 0xb5,
                0x52, 0xad, 0x9f)

struct ICoreWebView2NewWindowRequestedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;                                     // slot 3
    virtual HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* newWindow) = 0;                  // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** newWindow) = 0;                 // slot 5
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;                                // slot 6
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;                               // slot 7
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;               // slot 8
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;            // slot 9
    virtual HRESULT STDMETHODCALLTYPE get_WindowFeatures(ICoreWebView2WindowFeatures** value) = 0;  // slot 10
};
__CRT_UUID_DECL(ICoreWebView2NewWindowRequestedEventArgs, 0x34acb11c, 0xfc37, 0x4418, 0x91, 0x32, 0xf9, 0xc2, 0x1d,
                0x1e, 0xaf, 0xb9)

struct ICoreWebView2WindowFeatures : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_HasPosition(BOOL* value) = 0;              // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_HasSize(BOOL* value) = 0;                  // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_Left(UINT32* value) = 0;                   // slot 5
    virtual HRESULT STDMETHODCALLTYPE get_Top(UINT32* value) = 0;                    // slot 6
    virtual HRESULT STDMETHODCALLTYPE get_Height(UINT32* value) = 0;                 // slot 7
    virtual HRESULT STDMETHODCALLTYPE get_Width(UINT32* value) = 0;                  // slot 8
    virtual HRESULT STDMETHODCALLTYPE get_ShouldDisplayMenuBar(BOOL* value) = 0;     // slot 9
    virtual HRESULT STDMETHODCALLTYPE get_ShouldDisplayStatus(BOOL* value) = 0;      // slot 10
    virtual HRESULT STDMETHODCALLTYPE get_ShouldDisplayToolbar(BOOL* value) = 0;     // slot 11
    virtual HRESULT STDMETHODCALLTYPE get_ShouldDisplayScrollBars(BOOL* value) = 0;  // slot 12
};
__CRT_UUID_DECL(ICoreWebView2WindowFeatures, 0x5eaf559f, 0xb46e, 0x4397, 0x88, 0x60, 0xe4, 0x22, 0xf2, 0x87, 0xff, 0x1e)

struct ICoreWebView2PermissionRequestedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;                                              // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* permissionKind) = 0;  // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;                        // slot 5
    virtual HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_PERMISSION_STATE* state) = 0;                   // slot 6
    virtual HRESULT STDMETHODCALLTYPE put_State(COREWEBVIEW2_PERMISSION_STATE state) = 0;                    // slot 7
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;                     // slot 8
};
__CRT_UUID_DECL(ICoreWebView2PermissionRequestedEventArgs, 0x973ae2ef, 0xff18, 0x4894, 0x8f, 0xb2, 0x3c, 0x75, 0x8f,
                0x04, 0x68, 0x10)

// Reached with QueryInterface on the PermissionRequested arguments (runtime 100 and later).
struct ICoreWebView2PermissionRequestedEventArgs2 : public ICoreWebView2PermissionRequestedEventArgs {
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) = 0;  // slot 9
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) = 0;   // slot 10
};
__CRT_UUID_DECL(ICoreWebView2PermissionRequestedEventArgs2, 0x74d7127f, 0x9de6, 0x4200, 0x87, 0x34, 0x42, 0xd6, 0xfb,
                0x4f, 0xf7, 0x41)

// Runtime 111 and later. SavesInProfile is TRUE by default: the state chosen is stored in the
// profile for that origin and permission kind, and may be reused without raising the event again.
struct ICoreWebView2PermissionRequestedEventArgs3 : public ICoreWebView2PermissionRequestedEventArgs2 {
    virtual HRESULT STDMETHODCALLTYPE get_SavesInProfile(BOOL* value) = 0;  // slot 11
    virtual HRESULT STDMETHODCALLTYPE put_SavesInProfile(BOOL value) = 0;   // slot 12
};
__CRT_UUID_DECL(ICoreWebView2PermissionRequestedEventArgs3, 0xe61670bc, 0x3dce, 0x4177, 0x86, 0xd2, 0xc6, 0x29, 0xae,
                0x3c, 0xb6, 0xac)

struct ICoreWebView2WebMessageReceivedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* source) = 0;                            // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* webMessageAsJson) = 0;        // slot 4
    virtual HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* webMessageAsString) = 0;  // slot 5
};
__CRT_UUID_DECL(ICoreWebView2WebMessageReceivedEventArgs, 0x0f99a40c, 0xe962, 0x4207, 0x9e, 0x92, 0xe3, 0xd5, 0x42,
                0xef, 0xf8, 0x49)

struct ICoreWebView2NavigationStartingEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;                        // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;  // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* isRedirected) = 0;        // slot 5
    virtual HRESULT STDMETHODCALLTYPE
    get_RequestHeaders(ICoreWebView2HttpRequestHeaders** requestHeaders) = 0;      // slot 6
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;                // slot 7
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;                 // slot 8
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;  // slot 9
};
__CRT_UUID_DECL(ICoreWebView2NavigationStartingEventArgs, 0x5b495469, 0xe119, 0x438a, 0x9b, 0x18, 0x76, 0x04, 0xf2,
                0x5f, 0x2e, 0x49)

struct ICoreWebView2NavigationCompletedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* isSuccess) = 0;                                     // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* webErrorStatus) = 0;  // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;                             // slot 5
};
__CRT_UUID_DECL(ICoreWebView2NavigationCompletedEventArgs, 0x30d68b7d, 0x20d9, 0x4752, 0xa9, 0xca, 0xec, 0x84, 0x48,
                0xfb, 0xb5, 0xc1)

struct ICoreWebView2SourceChangedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsNewDocument(BOOL* isNewDocument) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2SourceChangedEventArgs, 0x31e0e545, 0x1dba, 0x4266, 0x89, 0x14, 0xf6, 0x38, 0x48, 0xa1,
                0xf7, 0xd7)

struct ICoreWebView2ContentLoadingEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsErrorPage(BOOL* isErrorPage) = 0;      // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;  // slot 4
};
__CRT_UUID_DECL(ICoreWebView2ContentLoadingEventArgs, 0x0c8a1275, 0x9b6b, 0x4901, 0x87, 0xad, 0x70, 0xdf, 0x25, 0xba,
                0xfa, 0x6e)

struct ICoreWebView2ProcessFailedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* processFailedKind) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2ProcessFailedEventArgs, 0x8155a9a4, 0x1474, 0x4a86, 0x8c, 0xae, 0x15, 0x1b, 0x0f, 0xa6,
                0xb8, 0xca)

struct ICoreWebView2ScriptDialogOpeningEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;                             // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* kind) = 0;  // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_Message(LPWSTR* message) = 0;                     // slot 5
    virtual HRESULT STDMETHODCALLTYPE Accept() = 0;                                         // slot 6
    virtual HRESULT STDMETHODCALLTYPE get_DefaultText(LPWSTR* defaultText) = 0;             // slot 7
    virtual HRESULT STDMETHODCALLTYPE get_ResultText(LPWSTR* resultText) = 0;               // slot 8
    virtual HRESULT STDMETHODCALLTYPE put_ResultText(LPCWSTR resultText) = 0;               // slot 9
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;    // slot 10
};
__CRT_UUID_DECL(ICoreWebView2ScriptDialogOpeningEventArgs, 0x7390bb70, 0xabe0, 0x4843, 0x95, 0x29, 0xf1, 0x43, 0xb3,
                0x1b, 0x03, 0xd6)

struct ICoreWebView2MoveFocusRequestedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Reason(COREWEBVIEW2_MOVE_FOCUS_REASON* reason) = 0;  // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) = 0;                            // slot 4
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) = 0;                             // slot 5
};
__CRT_UUID_DECL(ICoreWebView2MoveFocusRequestedEventArgs, 0x2d6aa13b, 0x3839, 0x4a15, 0x92, 0xfc, 0xd8, 0x8b, 0x3c,
                0x0d, 0x9c, 0x9d)

struct ICoreWebView2AcceleratorKeyPressedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* keyEventKind) = 0;  // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_VirtualKey(UINT* virtualKey) = 0;                             // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_KeyEventLParam(INT* lParam) = 0;                              // slot 5
    virtual HRESULT STDMETHODCALLTYPE
    get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS* physicalKeyStatus) = 0;  // slot 6
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;                // slot 7
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;                 // slot 8
};
__CRT_UUID_DECL(ICoreWebView2AcceleratorKeyPressedEventArgs, 0x9f760f8a, 0xfb79, 0x42be, 0x99, 0x90, 0x7b, 0x56, 0x90,
                0x0f, 0xa9, 0xc7)

struct ICoreWebView2DevToolsProtocolEventReceiver : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE add_DevToolsProtocolEventReceived(
        ICoreWebView2DevToolsProtocolEventReceivedEventHandler* handler, EventRegistrationToken* token) = 0;   // slot 3
    virtual HRESULT STDMETHODCALLTYPE remove_DevToolsProtocolEventReceived(EventRegistrationToken token) = 0;  // slot 4
};
__CRT_UUID_DECL(ICoreWebView2DevToolsProtocolEventReceiver, 0xb32ca51a, 0x8371, 0x45e9, 0x93, 0x17, 0xaf, 0x02, 0x1d,
                0x08, 0x03, 0x67)

struct ICoreWebView2DevToolsProtocolEventReceivedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_ParameterObjectAsJson(LPWSTR* parameterObjectAsJson) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2DevToolsProtocolEventReceivedEventArgs, 0x653c2959, 0xbb3a, 0x4377, 0x86, 0x32, 0xb5, 0x8a,
                0xda, 0x4e, 0x66, 0xc4)

struct ICoreWebView2Deferral : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Complete() = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2Deferral, 0xc10e7f7b, 0xb585, 0x46f0, 0xa6, 0x23, 0x8b, 0xef, 0xbf, 0x3e, 0x4e, 0xe0)

struct ICoreWebView2EnvironmentOptions : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) = 0;            // slot 3
    virtual HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) = 0;            // slot 4
    virtual HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) = 0;                              // slot 5
    virtual HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) = 0;                              // slot 6
    virtual HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) = 0;        // slot 7
    virtual HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) = 0;        // slot 8
    virtual HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) = 0;  // slot 9
    virtual HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) = 0;   // slot 10
};
__CRT_UUID_DECL(ICoreWebView2EnvironmentOptions, 0x2fde08a8, 0x1e9a, 0x4766, 0x8c, 0x05, 0x95, 0xa9, 0xce, 0xb9, 0xd1,
                0xc5)

struct ICoreWebView2_2 : public ICoreWebView2 {
    virtual HRESULT STDMETHODCALLTYPE
    add_WebResourceResponseReceived(ICoreWebView2WebResourceResponseReceivedEventHandler* eventHandler,
                                    EventRegistrationToken* token) = 0;                                      // slot 61
    virtual HRESULT STDMETHODCALLTYPE remove_WebResourceResponseReceived(EventRegistrationToken token) = 0;  // slot 62
    virtual HRESULT STDMETHODCALLTYPE
    NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest* request) = 0;  // slot 63
    virtual HRESULT STDMETHODCALLTYPE add_DOMContentLoaded(ICoreWebView2DOMContentLoadedEventHandler* eventHandler,
                                                           EventRegistrationToken* token) = 0;            // slot 64
    virtual HRESULT STDMETHODCALLTYPE remove_DOMContentLoaded(EventRegistrationToken token) = 0;          // slot 65
    virtual HRESULT STDMETHODCALLTYPE get_CookieManager(ICoreWebView2CookieManager** cookieManager) = 0;  // slot 66
    virtual HRESULT STDMETHODCALLTYPE get_Environment(ICoreWebView2Environment** environment) = 0;        // slot 67
};
__CRT_UUID_DECL(ICoreWebView2_2, 0x9e8f0cf8, 0xe670, 0x4b5e, 0xb2, 0xbc, 0x73, 0xe0, 0x61, 0xe3, 0x18, 0x4c)

struct ICoreWebView2_3 : public ICoreWebView2_2 {
    virtual HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) = 0;  // slot 68
    virtual HRESULT STDMETHODCALLTYPE Resume() = 0;                                                      // slot 69
    virtual HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* isSuspended) = 0;                            // slot 70
    virtual HRESULT STDMETHODCALLTYPE SetVirtualHostNameToFolderMapping(
        LPCWSTR hostName, LPCWSTR folderPath, COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND accessKind) = 0;  // slot 71
    virtual HRESULT STDMETHODCALLTYPE ClearVirtualHostNameToFolderMapping(LPCWSTR hostName) = 0;       // slot 72
};
__CRT_UUID_DECL(ICoreWebView2_3, 0xa0d6df20, 0x3b92, 0x416d, 0xaa, 0x0c, 0x43, 0x7a, 0x9c, 0x72, 0x78, 0x57)

struct ICoreWebView2DownloadStartingEventHandler;
struct ICoreWebView2DownloadStartingEventArgs;
struct ICoreWebView2DownloadOperation;
struct ICoreWebView2BytesReceivedChangedEventHandler;
struct ICoreWebView2EstimatedEndTimeChangedEventHandler;
struct ICoreWebView2StateChangedEventHandler;

typedef enum COREWEBVIEW2_DOWNLOAD_STATE {
    COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS = 0,
    COREWEBVIEW2_DOWNLOAD_STATE_INTERRUPTED = 1,
    COREWEBVIEW2_DOWNLOAD_STATE_COMPLETED = 2,
} COREWEBVIEW2_DOWNLOAD_STATE;
typedef INT32 COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON;

// Runtime 92 and later, reached with QueryInterface on the web view: downloads can be taken over
// (DownloadStarting). Slots 73 and 74 (FrameCreated) are never called.
struct ICoreWebView2_4 : public ICoreWebView2_3 {
    virtual HRESULT STDMETHODCALLTYPE UnusedSlot73() = 0;  // add_FrameCreated
    virtual HRESULT STDMETHODCALLTYPE UnusedSlot74() = 0;  // remove_FrameCreated
    virtual HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* eventHandler,
                                                           EventRegistrationToken* token) = 0;    // slot 75
    virtual HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken token) = 0;  // slot 76
};
__CRT_UUID_DECL(ICoreWebView2_4, 0x20d02d59, 0x6df2, 0x42dc, 0xbd, 0x06, 0xf9, 0x8a, 0x69, 0x4b, 0x13, 0x02)

struct ICoreWebView2DownloadStartingEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2DownloadStartingEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2DownloadStartingEventHandler, 0xefedc989, 0xc396, 0x41ca, 0x83, 0xf7, 0x07, 0xf8, 0x45,
                0xa5, 0x57, 0x24)

struct ICoreWebView2DownloadStartingEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    get_DownloadOperation(ICoreWebView2DownloadOperation** downloadOperation) = 0;        // slot 3
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;                       // slot 4
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;                        // slot 5
    virtual HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* resultFilePath) = 0;     // slot 6
    virtual HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR resultFilePath) = 0;     // slot 7
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;                     // slot 8
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;                      // slot 9
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;  // slot 10
};
__CRT_UUID_DECL(ICoreWebView2DownloadStartingEventArgs, 0xe99bbe21, 0x43e9, 0x4544, 0xa7, 0x32, 0x28, 0x27, 0x64, 0xea,
                0xfa, 0x60)

struct ICoreWebView2DownloadOperation : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    add_BytesReceivedChanged(ICoreWebView2BytesReceivedChangedEventHandler* eventHandler,
                             EventRegistrationToken* token) = 0;                                      // slot 3
    virtual HRESULT STDMETHODCALLTYPE remove_BytesReceivedChanged(EventRegistrationToken token) = 0;  // slot 4
    virtual HRESULT STDMETHODCALLTYPE
    add_EstimatedEndTimeChanged(ICoreWebView2EstimatedEndTimeChangedEventHandler* eventHandler,
                                EventRegistrationToken* token) = 0;                                      // slot 5
    virtual HRESULT STDMETHODCALLTYPE remove_EstimatedEndTimeChanged(EventRegistrationToken token) = 0;  // slot 6
    virtual HRESULT STDMETHODCALLTYPE add_StateChanged(ICoreWebView2StateChangedEventHandler* eventHandler,
                                                       EventRegistrationToken* token) = 0;        // slot 7
    virtual HRESULT STDMETHODCALLTYPE remove_StateChanged(EventRegistrationToken token) = 0;      // slot 8
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;                                   // slot 9
    virtual HRESULT STDMETHODCALLTYPE get_ContentDisposition(LPWSTR* contentDisposition) = 0;     // slot 10
    virtual HRESULT STDMETHODCALLTYPE get_MimeType(LPWSTR* mimeType) = 0;                         // slot 11
    virtual HRESULT STDMETHODCALLTYPE get_TotalBytesToReceive(INT64* totalBytesToReceive) = 0;    // slot 12
    virtual HRESULT STDMETHODCALLTYPE get_BytesReceived(INT64* bytesReceived) = 0;                // slot 13
    virtual HRESULT STDMETHODCALLTYPE get_EstimatedEndTime(LPWSTR* estimatedEndTime) = 0;         // slot 14
    virtual HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* resultFilePath) = 0;             // slot 15
    virtual HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_DOWNLOAD_STATE* downloadState) = 0;  // slot 16
    virtual HRESULT STDMETHODCALLTYPE
    get_InterruptReason(COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON* interruptReason) = 0;  // slot 17
    virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;                                    // slot 18
    virtual HRESULT STDMETHODCALLTYPE Pause() = 0;                                     // slot 19
    virtual HRESULT STDMETHODCALLTYPE Resume() = 0;                                    // slot 20
    virtual HRESULT STDMETHODCALLTYPE get_CanResume(BOOL* canResume) = 0;              // slot 21
};
__CRT_UUID_DECL(ICoreWebView2DownloadOperation, 0x3d6b6cf2, 0xafe1, 0x44c7, 0xa9, 0x95, 0xc6, 0x51, 0x17, 0x71, 0x43,
                0x36)

// Slots 77 to 122 of the ICoreWebView2 chain: the methods of ICoreWebView2_5 to ICoreWebView2_21,
// which the runtime never calls; DECLARE(n) is applied to each slot number.
// clang-format off
#define ZORV_WEBVIEW2_SLOTS_77_TO_122(DECLARE) \
    DECLARE(77) DECLARE(78) DECLARE(79) DECLARE(80) \
    DECLARE(81) DECLARE(82) DECLARE(83) DECLARE(84) DECLARE(85) DECLARE(86) DECLARE(87) DECLARE(88) \
    DECLARE(89) DECLARE(90) DECLARE(91) DECLARE(92) DECLARE(93) DECLARE(94) DECLARE(95) DECLARE(96) \
    DECLARE(97) DECLARE(98) DECLARE(99) DECLARE(100) DECLARE(101) DECLARE(102) DECLARE(103) DECLARE(104) \
    DECLARE(105) DECLARE(106) DECLARE(107) DECLARE(108) DECLARE(109) DECLARE(110) DECLARE(111) DECLARE(112) \
    DECLARE(113) DECLARE(114) DECLARE(115) DECLARE(116) DECLARE(117) DECLARE(118) DECLARE(119) DECLARE(120) \
    DECLARE(121) DECLARE(122)
// clang-format on
#define ZORV_WEBVIEW2_DECLARE_UNUSED_SLOT(n) virtual HRESULT STDMETHODCALLTYPE UnusedSlot##n() = 0;

// Runtime 122 and later, reached with QueryInterface on the web view. Its filters see requests by
// their source: unlike AddWebResourceRequestedFilter (only the main frame and frames of its own
// origin), those of frames of other origins, of sandboxed frames and of workers too.
struct ICoreWebView2_22 : public ICoreWebView2_4 {
    ZORV_WEBVIEW2_SLOTS_77_TO_122(ZORV_WEBVIEW2_DECLARE_UNUSED_SLOT)
    virtual HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilterWithRequestSourceKinds(
        LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext,
        COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS requestSourceKinds) = 0;  // slot 123
    virtual HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilterWithRequestSourceKinds(
        LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext,
        COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS requestSourceKinds) = 0;  // slot 124
};
__CRT_UUID_DECL(ICoreWebView2_22, 0xdb75dfc7, 0xa857, 0x4632, 0xa3, 0x98, 0x69, 0x69, 0xdd, 0xe2, 0x6c, 0x0a)

struct ICoreWebView2Controller2 : public ICoreWebView2Controller {
    virtual HRESULT STDMETHODCALLTYPE get_DefaultBackgroundColor(COREWEBVIEW2_COLOR* backgroundColor) = 0;  // slot 26
    virtual HRESULT STDMETHODCALLTYPE put_DefaultBackgroundColor(COREWEBVIEW2_COLOR backgroundColor) = 0;   // slot 27
};
__CRT_UUID_DECL(ICoreWebView2Controller2, 0xc979903e, 0xd4ca, 0x4228, 0x92, 0xeb, 0x47, 0xee, 0x3f, 0xa9, 0x6e, 0xab)

struct ICoreWebView2Settings2 : public ICoreWebView2Settings {
    virtual HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR* userAgent) = 0;  // slot 21
    virtual HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR userAgent) = 0;  // slot 22
};
__CRT_UUID_DECL(ICoreWebView2Settings2, 0xee9a0f68, 0xf46c, 0x4e32, 0xac, 0x23, 0xef, 0x8c, 0xac, 0x22, 0x4d, 0x2a)

struct ICoreWebView2Settings3 : public ICoreWebView2Settings2 {
    virtual HRESULT STDMETHODCALLTYPE
    get_AreBrowserAcceleratorKeysEnabled(BOOL* areBrowserAcceleratorKeysEnabled) = 0;  // slot 23
    virtual HRESULT STDMETHODCALLTYPE
    put_AreBrowserAcceleratorKeysEnabled(BOOL areBrowserAcceleratorKeysEnabled) = 0;  // slot 24
};
__CRT_UUID_DECL(ICoreWebView2Settings3, 0xfdb5ab74, 0xaf33, 0x4854, 0x84, 0xf0, 0x0a, 0x63, 0x1d, 0xeb, 0x5e, 0xba)

struct ICoreWebView2Environment2 : public ICoreWebView2Environment {
    virtual HRESULT STDMETHODCALLTYPE
    CreateWebResourceRequest(LPCWSTR uri, LPCWSTR method, IStream* postData, LPCWSTR headers,
                             ICoreWebView2WebResourceRequest** request) = 0;  // slot 8
};
__CRT_UUID_DECL(ICoreWebView2Environment2, 0x41f3632b, 0x5ef4, 0x404f, 0xad, 0x82, 0x2d, 0x60, 0x6c, 0x5a, 0x9a, 0x21)

struct ICoreWebView2EnvironmentOptions2 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_ExclusiveUserDataFolderAccess(BOOL* value) = 0;  // slot 3
    virtual HRESULT STDMETHODCALLTYPE put_ExclusiveUserDataFolderAccess(BOOL value) = 0;   // slot 4
};
__CRT_UUID_DECL(ICoreWebView2EnvironmentOptions2, 0xff85c98a, 0x1ba7, 0x4a6b, 0x90, 0xc8, 0x2b, 0x75, 0x2c, 0x89, 0xe9,
                0xe2)

struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                             ICoreWebView2Environment* createdEnvironment) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, 0x4e8a3389, 0xc9d8, 0x4bd2, 0xb6, 0xb5,
                0x12, 0x4f, 0xee, 0x6c, 0xc1, 0x4d)

struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                             ICoreWebView2Controller* createdController) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, 0x6c4819f3, 0xc9b7, 0x4260, 0x81, 0x27, 0xc9,
                0xf5, 0xbd, 0xe7, 0xf6, 0x8c)

struct ICoreWebView2ExecuteScriptCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR resultObjectAsJson) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2ExecuteScriptCompletedHandler, 0x49511172, 0xcc67, 0x4bca, 0x99, 0x23, 0x13, 0x71, 0x12,
                0xf4, 0xc4, 0xcc)

struct ICoreWebView2CapturePreviewCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2CapturePreviewCompletedHandler, 0x697e05e9, 0x3d8f, 0x45fa, 0x96, 0xf4, 0x8f, 0xfe, 0x1e,
                0xde, 0xda, 0xf5)

struct ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR id) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler, 0xb99369f3, 0x9b11, 0x47b5, 0xbc,
                0x6f, 0x8e, 0x78, 0x95, 0xfc, 0xea, 0x17)

struct ICoreWebView2CallDevToolsProtocolMethodCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR returnObjectAsJson) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2CallDevToolsProtocolMethodCompletedHandler, 0x5c4889f0, 0x5ef6, 0x4c5a, 0x95, 0x2c, 0xd8,
                0xf1, 0xb9, 0x2d, 0x05, 0x74)

struct ICoreWebView2NavigationStartingEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2NavigationStartingEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2NavigationStartingEventHandler, 0x9adbe429, 0xf36d, 0x432b, 0x9d, 0xdc, 0xf8, 0x88, 0x1f,
                0xbd, 0x76, 0xe3)

struct ICoreWebView2ContentLoadingEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2ContentLoadingEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2ContentLoadingEventHandler, 0x364471e7, 0xf2be, 0x4910, 0xbd, 0xba, 0xd7, 0x20, 0x77, 0xd5,
                0x1c, 0x4b)

struct ICoreWebView2SourceChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2SourceChangedEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2SourceChangedEventHandler, 0x3c067f9f, 0x5388, 0x4772, 0x8b, 0x48, 0x79, 0xf7, 0xef, 0x1a,
                0xb3, 0x7c)

struct ICoreWebView2HistoryChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2HistoryChangedEventHandler, 0xc79a420c, 0xefd9, 0x4058, 0x92, 0x95, 0x3e, 0x8b, 0x4b, 0xca,
                0xb6, 0x45)

struct ICoreWebView2NavigationCompletedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2NavigationCompletedEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2NavigationCompletedEventHandler, 0xd33a35bf, 0x1c49, 0x4f98, 0x93, 0xab, 0x00, 0x6e, 0x05,
                0x33, 0xfe, 0x1c)

struct ICoreWebView2ScriptDialogOpeningEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2ScriptDialogOpeningEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2ScriptDialogOpeningEventHandler, 0xef381bf9, 0xafa8, 0x4e37, 0x91, 0xc4, 0x8a, 0xc4, 0x85,
                0x24, 0xbd, 0xfb)

struct ICoreWebView2PermissionRequestedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2PermissionRequestedEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2PermissionRequestedEventHandler, 0x15e1c6a3, 0xc72a, 0x4df3, 0x91, 0xd7, 0xd0, 0x97, 0xfb,
                0xec, 0x6b, 0xfd)

struct ICoreWebView2ProcessFailedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2ProcessFailedEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2ProcessFailedEventHandler, 0x79e0aea4, 0x990b, 0x42d9, 0xaa, 0x1d, 0x0f, 0xcc, 0x2e, 0x5b,
                0xc7, 0xf1)

struct ICoreWebView2WebMessageReceivedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2WebMessageReceivedEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2WebMessageReceivedEventHandler, 0x57213f19, 0x00e6, 0x49fa, 0x8e, 0x07, 0x89, 0x8e, 0xa0,
                0x1e, 0xcb, 0xd2)

struct ICoreWebView2NewWindowRequestedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2NewWindowRequestedEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2NewWindowRequestedEventHandler, 0xd4c185fe, 0xc81c, 0x4989, 0x97, 0xaf, 0x2d, 0x3f, 0xa7,
                0xab, 0x56, 0x51)

struct ICoreWebView2DocumentTitleChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2DocumentTitleChangedEventHandler, 0xf5f2b923, 0x953e, 0x4042, 0x9f, 0x95, 0xf3, 0xa1, 0x18,
                0xe1, 0xaf, 0xd4)

struct ICoreWebView2ContainsFullScreenElementChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2ContainsFullScreenElementChangedEventHandler, 0xe45d98b1, 0xafef, 0x45be, 0x8b, 0xaf, 0x6c,
                0x77, 0x28, 0x86, 0x7f, 0x73)

struct ICoreWebView2WebResourceRequestedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2WebResourceRequestedEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2WebResourceRequestedEventHandler, 0xab00b74c, 0x15f1, 0x4646, 0x80, 0xe8, 0xe7, 0x63, 0x41,
                0xd2, 0x5d, 0x71)

struct ICoreWebView2WindowCloseRequestedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2WindowCloseRequestedEventHandler, 0x5c19e9e0, 0x092f, 0x486b, 0xaf, 0xfa, 0xca, 0x82, 0x31,
                0x91, 0x30, 0x39)

struct ICoreWebView2ZoomFactorChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Controller* sender, IUnknown* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2ZoomFactorChangedEventHandler, 0xb52d71d6, 0xc4df, 0x4543, 0xa9, 0x0c, 0x64, 0xa3, 0xe6,
                0x0f, 0x38, 0xcb)

struct ICoreWebView2MoveFocusRequestedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Controller* sender,
                                             ICoreWebView2MoveFocusRequestedEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2MoveFocusRequestedEventHandler, 0x69035451, 0x6dc7, 0x4cb8, 0x9b, 0xce, 0xb2, 0xbd, 0x70,
                0xad, 0x28, 0x9f)

struct ICoreWebView2FocusChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Controller* sender, IUnknown* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2FocusChangedEventHandler, 0x05ea24bd, 0x6452, 0x4926, 0x90, 0x14, 0x4b, 0x82, 0xb4, 0x98,
                0x13, 0x5d)

struct ICoreWebView2AcceleratorKeyPressedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Controller* sender,
                                             ICoreWebView2AcceleratorKeyPressedEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2AcceleratorKeyPressedEventHandler, 0xb29c7e28, 0xfa79, 0x41a8, 0x8e, 0x44, 0x65, 0x81,
                0x1c, 0x76, 0xdc, 0xb2)

struct ICoreWebView2DevToolsProtocolEventReceivedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2DevToolsProtocolEventReceivedEventArgs* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2DevToolsProtocolEventReceivedEventHandler, 0xe2fda4be, 0x5456, 0x406c, 0xa2, 0x61, 0x3d,
                0x45, 0x21, 0x38, 0x36, 0x2c)

struct ICoreWebView2NewBrowserVersionAvailableEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Environment* sender, IUnknown* args) = 0;  // slot 3
};
__CRT_UUID_DECL(ICoreWebView2NewBrowserVersionAvailableEventHandler, 0xf9a2976e, 0xd34e, 0x44fc, 0xad, 0xee, 0x81, 0xb6,
                0xb5, 0x7c, 0xa9, 0x14)

// ---- Loader library exports (WebView2LoaderWin64.dll), bound at run time with GetProcAddress ----

extern "C" {
typedef HRESULT(STDAPICALLTYPE* TCreateCoreWebView2Environment)(
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler);
typedef HRESULT(STDAPICALLTYPE* TCreateCoreWebView2EnvironmentWithOptions)(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler);
typedef HRESULT(STDAPICALLTYPE* TGetAvailableCoreWebView2BrowserVersionString)(PCWSTR browserExecutableFolder,
                                                                               LPWSTR* versionInfo);
typedef HRESULT(STDAPICALLTYPE* TCompareBrowserVersions)(PCWSTR version1, PCWSTR version2, int* result);
}

#define ZORV_WEBVIEW2_EXPORT_CREATE_ENVIRONMENT "CreateCoreWebView2Environment"
#define ZORV_WEBVIEW2_EXPORT_CREATE_ENVIRONMENT_WITH_OPTIONS "CreateCoreWebView2EnvironmentWithOptions"
#define ZORV_WEBVIEW2_EXPORT_AVAILABLE_VERSION "GetAvailableCoreWebView2BrowserVersionString"
#define ZORV_WEBVIEW2_EXPORT_COMPARE_VERSIONS "CompareBrowserVersions"
