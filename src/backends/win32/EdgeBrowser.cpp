#include "backends/win32/EdgeBrowser.h"

#include <shlwapi.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <utility>
#include <vector>

#include "backends/win32/ComCallback.h"
#include "backends/win32/WebView2Loader.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinUiThread.h"
#include "shared/FailureSink.h"

namespace zorv {

struct TEdgeBrowser::TTokens {
    EventRegistrationToken navigationStarting{};
    EventRegistrationToken navigationCompleted{};
    EventRegistrationToken sourceChanged{};
    EventRegistrationToken historyChanged{};
    EventRegistrationToken contentLoading{};
    EventRegistrationToken documentTitleChanged{};
    EventRegistrationToken newWindowRequested{};
    EventRegistrationToken frameNavigationStarting{};
    EventRegistrationToken frameNavigationCompleted{};
    EventRegistrationToken webResourceRequested{};
    EventRegistrationToken scriptDialogOpening{};
    EventRegistrationToken permissionRequested{};
    EventRegistrationToken processFailed{};
    EventRegistrationToken webMessageReceived{};
    EventRegistrationToken containsFullScreenElementChanged{};
    EventRegistrationToken windowCloseRequested{};
    EventRegistrationToken zoomFactorChanged{};
    EventRegistrationToken moveFocusRequested{};
    EventRegistrationToken acceleratorKeyPressed{};
    EventRegistrationToken gotFocus{};
    EventRegistrationToken lostFocus{};
    EventRegistrationToken downloadStarting{};
    bool downloadsSubscribed = false;
};

namespace {
constexpr wchar_t WindowClassName[] = L"ZorvEdgeBrowser";
constexpr char NotInstantiated[] = "WebView2 not instantiated";
constexpr char CreationFailed[] = "Failed to create Edge browser control";
// How long the worker thread waits for WebView2 to answer the environment request.
constexpr DWORD EnvironmentWaitMs = 120000;

bool IsBlank(const std::string& text) {
    for (unsigned char c : text)
        if (c > 32) return false;
    return true;
}

std::string TakeString(TCoTaskString& text) { return TWinText::WideToUtf8(text.Get()); }

void RegisterControlClass(WNDPROC proc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = WindowClassName;
    ::RegisterClassExW(&windowClass);
}

// Pumps the calling thread's messages until `done` is set or the time is up: WebView2 may deliver
// the environment completion through the queue of the thread that asked for it.
void PumpUntil(const std::atomic<bool>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done.load()) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                                      QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

// The process's one environment, or the requests waiting for it while it is being created.
struct TEnvironmentCache {
    using THandler = ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler;
    std::mutex lock;
    TComPtr<ICoreWebView2Environment> environment;
    bool creating = false;
    std::vector<TComPtr<THandler>> waiting;

    // Takes the waiting requests and keeps the environment when one was made.
    std::vector<TComPtr<THandler>> Settle(HRESULT result, ICoreWebView2Environment* made) {
        std::lock_guard guard(lock);
        if (SUCCEEDED(result) && made) environment = TComPtr<ICoreWebView2Environment>(made);
        creating = false;
        return std::exchange(waiting, {});
    }
};

template <class Handler, class Source, class Function>
HRESULT Subscribe(Source* source, HRESULT (STDMETHODCALLTYPE Source::*add)(Handler*, EventRegistrationToken*),
                  EventRegistrationToken& token, Function function) {
    auto handler = TComCallback<Handler>::Create(std::move(function));
    return (source->*add)(handler.Get(), &token);
}
}  // namespace

TEdgeBrowser::TEdgeBrowser(TWinUiThread& uiThread, TEnvironmentFactory environmentFactory)
    : FUiThread(uiThread),
      FEnvironmentFactory(environmentFactory ? std::move(environmentFactory)
                                             : TEnvironmentFactory(&TWebView2Loader::CreateCoreWebView2Environment)),
      FShared(std::make_shared<TShared>()),
      FTokens(std::make_unique<TTokens>()) {}

TEdgeBrowser::TEnvironmentFactory TEdgeBrowser::OneEnvironmentPerProcess(TEnvironmentFactory create) {
    if (!create) create = &TWebView2Loader::CreateCoreWebView2Environment;
    auto cache = std::make_shared<TEnvironmentCache>();
    return [cache, create = std::move(create)](TEnvironmentCache::THandler* handler) -> HRESULT {
        if (!handler) return E_POINTER;
        std::unique_lock guard(cache->lock);
        if (cache->environment) {
            const TComPtr<ICoreWebView2Environment> made = cache->environment;
            guard.unlock();
            handler->Invoke(S_OK, made.Get());
            return S_OK;
        }
        cache->waiting.emplace_back(handler);
        if (cache->creating) return S_OK;
        cache->creating = true;
        guard.unlock();
        auto completed = TComCallback<TEnvironmentCache::THandler>::Create(
            [cache](HRESULT result, ICoreWebView2Environment* made) -> HRESULT {
                for (auto& waiting : cache->Settle(result, made)) waiting->Invoke(result, made);
                return S_OK;
            });
        const HRESULT result = create(completed.Get());
        if (SUCCEEDED(result)) return S_OK;
        // Nothing will answer: this request fails at once, any that joined it meanwhile as well.
        for (auto& waiting : cache->Settle(result, nullptr))
            if (waiting.Get() != handler) waiting->Invoke(result, nullptr);
        return result;
    };
}

TEdgeBrowser::~TEdgeBrowser() {
    FLifetime.Expire();
    CloseWebView();
    if (FWindow) ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
}

// ---- window ----

void TEdgeBrowser::SetParent(HWND parent) {
    if (!parent) return;
    const bool recreated = static_cast<bool>(FWindow);
    CreateControlWindow(parent);
    if (recreated && FWebView) {
        ReinitializeWebView();
        return;
    }
    CreateWebView();
}

void TEdgeBrowser::CreateControlWindow(HWND parent) {
    RegisterControlClass(&TEdgeBrowser::WindowProc);
    if (FWindow) ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
    RECT client{};
    ::GetClientRect(parent, &client);
    FWindow.Reset(::CreateWindowExW(0, WindowClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP,
                                    client.left, client.top, client.right - client.left, client.bottom - client.top,
                                    parent, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TEdgeBrowser::SetBounds(const RECT& bounds) {
    if (FWindow)
        ::MoveWindow(FWindow.Get(), bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                     TRUE);
}

void TEdgeBrowser::SetVisible(bool visible) {
    if (FWindow) ::ShowWindow(FWindow.Get(), visible ? SW_SHOW : SW_HIDE);
}

LRESULT CALLBACK TEdgeBrowser::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto* self = reinterpret_cast<TEdgeBrowser*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
        return self->HandleMessage(message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TEdgeBrowser::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: ResizeWebView(); return 0;
        case WM_SHOWWINDOW:
            if (FWebViewController) ProcessHResult(FWebViewController->put_IsVisible(wParam ? TRUE : FALSE));
            break;
        case WM_SETFOCUS:
            DoEnter();
            if (!FWebViewFocusEventActive && FWebViewController)
                ProcessHResult(FWebViewController->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC));
            return 0;
        case WM_KILLFOCUS:
            if (OnExit) OnExit(*this);
            return 0;
        default: break;
    }
    return ::DefWindowProcW(FWindow.Get(), message, wParam, lParam);
}

void TEdgeBrowser::FollowWindowSize(WPARAM sizeKind) {
    if (!FWebViewController) return;
    if (sizeKind == SIZE_MINIMIZED)
        ProcessHResult(FWebViewController->put_IsVisible(FALSE));
    else if (sizeKind == SIZE_RESTORED || sizeKind == SIZE_MAXIMIZED)
        ProcessHResult(FWebViewController->put_IsVisible(TRUE));
}

void TEdgeBrowser::NotifyParentWindowPositionChanged() {
    if (FWebViewController) ProcessHResult(FWebViewController->NotifyParentWindowPositionChanged());
}

void TEdgeBrowser::DoEnter() {
    if (OnEnter) OnEnter(*this);
}

void TEdgeBrowser::ResizeWebView() {
    if (!FWebViewController || !FWindow) return;
    RECT client{};
    ::GetClientRect(FWindow.Get(), &client);
    client.right = client.left + static_cast<LONG>(std::trunc((client.right - client.left) * FSizeRatio));
    client.bottom = client.top + static_cast<LONG>(std::trunc((client.bottom - client.top) * FSizeRatio));
    ProcessHResult(FWebViewController->put_Bounds(client));
}

// ---- results ----

namespace {

std::string HResultText(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

}  // namespace

bool TEdgeBrowser::RecordResult(TShared& shared, HRESULT result, const TSourcePlace& where) {
    {
        std::lock_guard lock(shared.critSec);
        shared.lastErrorCode = result;
    }
    if (FAILED(result)) TFailureSink::Report("WebView2 call failed: " + HResultText(result), where);
    return SUCCEEDED(result);
}

HRESULT TEdgeBrowser::LastErrorCode() const {
    std::lock_guard lock(FShared->critSec);
    return FShared->lastErrorCode;
}

bool TEdgeBrowser::WebViewCreated() const {
    return FWebViewEnvironment && FWebViewController && FWebView && FWebViewSettings;
}

// ---- creation ----

void TEdgeBrowser::CreateWebView() {
    if (FWebView || FBrowserControlState == TBrowserControlState::Creating) return;
    FBrowserControlState = TBrowserControlState::Creating;
    // The leftovers of an earlier attempt are released here, on the thread that owns them, before
    // the worker asks for a new environment.
    CloseWebView();
    FSizeRatio = 1.0;
    FWebViewFocusEventActive = false;
    std::thread([this, shared = FShared, alive = FLifetime.Watch(), factory = FEnvironmentFactory, ui = &FUiThread] {
        TComApartment apartment;
        auto done = std::make_shared<std::atomic<bool>>(false);
        auto handler = TComCallback<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>::Create(
            [this, shared, alive, ui, done](HRESULT result, ICoreWebView2Environment* environment) -> HRESULT {
                RecordResult(*shared, result);
                TComPtr<ICoreWebView2Environment> kept(environment);
                ui->RunOrPost([this, alive, result, kept] {
                    if (!alive.Expired()) CreateEnvironmentCompleted(result, kept.Get());
                });
                done->store(true);
                return S_OK;
            });
        const HRESULT result = factory(handler.Get());
        RecordResult(*shared, result);
        if (FAILED(result)) {
            ui->Post([this, alive, result] {
                if (!alive.Expired()) RaiseCreateWebViewCompleted(result);
            });
            return;
        }
        PumpUntil(*done, EnvironmentWaitMs);
    }).detach();
}

void TEdgeBrowser::ReinitializeWebView() { InitializeWebView(); }

void TEdgeBrowser::InitializeWebView() {
    CloseWebView();
    FSizeRatio = 1.0;
    FWebViewFocusEventActive = false;
    auto handler = TComCallback<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>::Create(
        [this, shared = FShared, alive = FLifetime.Watch()](HRESULT result,
                                                            ICoreWebView2Environment* environment) -> HRESULT {
            RecordResult(*shared, result);
            TComPtr<ICoreWebView2Environment> kept(environment);
            FUiThread.RunOrPost([this, alive, result, kept] {
                if (!alive.Expired()) CreateEnvironmentCompleted(result, kept.Get());
            });
            return S_OK;
        });
    const HRESULT result = FEnvironmentFactory(handler.Get());
    if (!ProcessHResult(result)) RaiseCreateWebViewCompleted(result);
}

void TEdgeBrowser::CreateEnvironmentCompleted(HRESULT result, ICoreWebView2Environment* environment) {
    if (FAILED(result) || !environment) {
        RaiseCreateWebViewCompleted(FAILED(result) ? result : E_FAIL);
        return;
    }
    FWebViewEnvironment = TComPtr<ICoreWebView2Environment>(environment);
    auto handler = TComCallback<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>::Create(
        [this, alive = FLifetime.Watch()](HRESULT controllerResult, ICoreWebView2Controller* controller) -> HRESULT {
            TComPtr<ICoreWebView2Controller> kept(controller);
            FUiThread.RunOrPost([this, alive, controllerResult, kept] {
                if (!alive.Expired()) CreateCoreWebView2ControllerCompleted(controllerResult, kept.Get());
            });
            return S_OK;
        });
    if (!ProcessHResult(FWebViewEnvironment->CreateCoreWebView2Controller(FWindow.Get(), handler.Get())))
        ReportCreationFailure();
}

void TEdgeBrowser::CreateCoreWebView2ControllerCompleted(HRESULT result, ICoreWebView2Controller* controller) {
    bool ok = ProcessHResult(result) && controller;
    if (ok) {
        FWebViewController = TComPtr<ICoreWebView2Controller>(controller);
        ok = ProcessHResult(FWebViewController->get_CoreWebView2(FWebView.Put())) && FWebView;
    }
    if (ok) ok = ProcessHResult(FWebView->get_Settings(FWebViewSettings.Put())) && FWebViewSettings;
    if (!ok) {
        ReportCreationFailure();
        return;
    }
    FBrowserControlState = TBrowserControlState::Created;
    RaiseCreateWebViewCompleted(result);
    if (FWebView && FWebViewController) {
        RegisterEventHandlers();
        ResizeWebView();
    }
    if (!FLastURL.empty()) Navigate(FLastURL);
}

void TEdgeBrowser::RaiseCreateWebViewCompleted(HRESULT result) {
    if (OnCreateWebViewCompleted) OnCreateWebViewCompleted(*this, result);
}

void TEdgeBrowser::ReportCreationFailure() {
    FBrowserControlState = TBrowserControlState::Failed;
    HRESULT code = LastErrorCode();
    if (SUCCEEDED(code)) code = E_FAIL;  // a null object reported as success
    if (OnCreateWebViewCompleted) {
        OnCreateWebViewCompleted(*this, code);
        return;
    }
    // Nobody handles the failure: tell the user, from the message loop, instead of failing silently.
    HWND owner = FWindow ? ::GetAncestor(FWindow.Get(), GA_ROOT) : nullptr;
    FUiThread.Post([owner, code] {
        wchar_t text[160];
        ::wsprintfW(text, L"%hs (0x%08lX)", CreationFailed, static_cast<unsigned long>(code));
        ::MessageBoxW(owner, text, L"Error", MB_OK | MB_ICONERROR);
    });
}

// ---- events ----

void TEdgeBrowser::RegisterEventHandlers() {
    ICoreWebView2* webView = FWebView.Get();
    ICoreWebView2Controller* controller = FWebViewController.Get();
    TTokens& t = *FTokens;
    auto record = [this](HRESULT result) { ProcessHResult(result); };

    record(Subscribe(webView, &ICoreWebView2::add_NavigationStarting, t.navigationStarting,
                     [this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) -> HRESULT {
                         if (OnNavigationStarting) {
                             TNavigationStartingEventArgs wrapper(args);
                             OnNavigationStarting(*this, wrapper);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_NavigationCompleted, t.navigationCompleted,
                     [this](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) -> HRESULT {
                         if (OnNavigationCompleted) {
                             BOOL success = FALSE;
                             COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
                             args->get_IsSuccess(&success);
                             args->get_WebErrorStatus(&status);
                             OnNavigationCompleted(*this, success != FALSE, status);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_SourceChanged, t.sourceChanged,
                     [this](ICoreWebView2*, ICoreWebView2SourceChangedEventArgs* args) -> HRESULT {
                         if (OnSourceChanged) {
                             BOOL isNew = FALSE;
                             args->get_IsNewDocument(&isNew);
                             OnSourceChanged(*this, isNew != FALSE);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_HistoryChanged, t.historyChanged,
                     [this](ICoreWebView2*, IUnknown*) -> HRESULT {
                         if (OnHistoryChanged) OnHistoryChanged(*this);
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_ContentLoading, t.contentLoading,
                     [this](ICoreWebView2*, ICoreWebView2ContentLoadingEventArgs* args) -> HRESULT {
                         if (OnContentLoading) {
                             BOOL isErrorPage = FALSE;
                             UINT64 navigationId = 0;
                             args->get_IsErrorPage(&isErrorPage);
                             args->get_NavigationId(&navigationId);
                             OnContentLoading(*this, isErrorPage != FALSE, navigationId);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_DocumentTitleChanged, t.documentTitleChanged,
                     [this](ICoreWebView2*, IUnknown*) -> HRESULT {
                         if (OnDocumentTitleChanged) OnDocumentTitleChanged(*this, DocumentTitle());
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_NewWindowRequested, t.newWindowRequested,
                     [this](ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) -> HRESULT {
                         if (OnNewWindowRequested) {
                             TNewWindowRequestedEventArgs wrapper(args);
                             OnNewWindowRequested(*this, wrapper);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_FrameNavigationStarting, t.frameNavigationStarting,
                     [this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) -> HRESULT {
                         if (OnFrameNavigationStarting) {
                             TNavigationStartingEventArgs wrapper(args);
                             OnFrameNavigationStarting(*this, wrapper);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_FrameNavigationCompleted, t.frameNavigationCompleted,
                     [this](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) -> HRESULT {
                         if (OnFrameNavigationCompleted) {
                             BOOL success = FALSE;
                             COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
                             args->get_IsSuccess(&success);
                             args->get_WebErrorStatus(&status);
                             OnFrameNavigationCompleted(*this, success != FALSE, status);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_WebResourceRequested, t.webResourceRequested,
                     [this](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) -> HRESULT {
                         if (OnWebResourceRequested) {
                             TWebResourceRequestedEventArgs wrapper(args);
                             OnWebResourceRequested(*this, wrapper);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_ScriptDialogOpening, t.scriptDialogOpening,
                     [this](ICoreWebView2*, ICoreWebView2ScriptDialogOpeningEventArgs* args) -> HRESULT {
                         if (OnScriptDialogOpening) {
                             TScriptDialogOpeningEventArgs wrapper(args);
                             OnScriptDialogOpening(*this, wrapper);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_PermissionRequested, t.permissionRequested,
                     [this](ICoreWebView2*, ICoreWebView2PermissionRequestedEventArgs* args) -> HRESULT {
                         if (OnPermissionRequested) {
                             TPermissionRequestedEventArgs wrapper(args);
                             OnPermissionRequested(*this, wrapper);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_ProcessFailed, t.processFailed,
                     [this](ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* args) -> HRESULT {
                         if (OnProcessFailed) {
                             COREWEBVIEW2_PROCESS_FAILED_KIND kind =
                                 COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED;
                             args->get_ProcessFailedKind(&kind);
                             OnProcessFailed(*this, kind);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_WebMessageReceived, t.webMessageReceived,
                     [this](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) -> HRESULT {
                         if (OnWebMessageReceived) {
                             TWebMessageReceivedEventArgs wrapper(args);
                             OnWebMessageReceived(*this, wrapper);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_ContainsFullScreenElementChanged, t.containsFullScreenElementChanged,
                     [this](ICoreWebView2*, IUnknown*) -> HRESULT {
                         if (OnContainsFullScreenElementChanged && FWebView) {
                             BOOL contains = FALSE;
                             if (ProcessHResult(FWebView->get_ContainsFullScreenElement(&contains)))
                                 OnContainsFullScreenElementChanged(*this, contains != FALSE);
                         }
                         return S_OK;
                     }));
    record(Subscribe(webView, &ICoreWebView2::add_WindowCloseRequested, t.windowCloseRequested,
                     [this](ICoreWebView2*, IUnknown*) -> HRESULT {
                         if (OnWindowCloseRequested) OnWindowCloseRequested(*this);
                         return S_OK;
                     }));
    record(Subscribe(controller, &ICoreWebView2Controller::add_ZoomFactorChanged, t.zoomFactorChanged,
                     [this](ICoreWebView2Controller*, IUnknown*) -> HRESULT {
                         if (OnZoomFactorChanged) OnZoomFactorChanged(*this, ZoomFactor());
                         return S_OK;
                     }));
    if (OnDownloadStarting) SubscribeToDownloads();
    record(Subscribe(controller, &ICoreWebView2Controller::add_MoveFocusRequested, t.moveFocusRequested,
                     [this](ICoreWebView2Controller*, ICoreWebView2MoveFocusRequestedEventArgs* args) -> HRESULT {
                         HandleMoveFocusRequested(args);
                         return S_OK;
                     }));
    record(Subscribe(controller, &ICoreWebView2Controller::add_AcceleratorKeyPressed, t.acceleratorKeyPressed,
                     [this](ICoreWebView2Controller*, ICoreWebView2AcceleratorKeyPressedEventArgs* args) -> HRESULT {
                         HandleAcceleratorKey(args);
                         return S_OK;
                     }));
    record(Subscribe(controller, &ICoreWebView2Controller::add_GotFocus, t.gotFocus,
                     [this](ICoreWebView2Controller*, IUnknown*) -> HRESULT {
                         FWebViewFocusEventActive = true;
                         DoEnter();
                         FWebViewFocusEventActive = false;
                         return S_OK;
                     }));
    record(Subscribe(controller, &ICoreWebView2Controller::add_LostFocus, t.lostFocus,
                     [this](ICoreWebView2Controller*, IUnknown*) -> HRESULT {
                         if (OnExit) OnExit(*this);
                         return S_OK;
                     }));
}

void TEdgeBrowser::SubscribeToDownloads() {
    const TComPtr<ICoreWebView2_4> webView = FWebView.As<ICoreWebView2_4>();
    if (!webView) {
        static std::atomic<bool> reported{false};
        if (!reported.exchange(true))
            TFailureSink::Report(
                "this WebView2 runtime cannot hand downloads over (ICoreWebView2_4, version 92 and later): it saves "
                "them itself, from any page, where it chooses");
        return;
    }
    FTokens->downloadsSubscribed =
        ProcessHResult(Subscribe(webView.Get(), &ICoreWebView2_4::add_DownloadStarting, FTokens->downloadStarting,
                                 [this](ICoreWebView2*, ICoreWebView2DownloadStartingEventArgs* args) -> HRESULT {
                                     if (OnDownloadStarting) {
                                         TDownloadStartingEventArgs wrapper(args);
                                         OnDownloadStarting(*this, wrapper);
                                     }
                                     return S_OK;
                                 }));
}

void TEdgeBrowser::HandleMoveFocusRequested(ICoreWebView2MoveFocusRequestedEventArgs* args) {
    COREWEBVIEW2_MOVE_FOCUS_REASON reason = COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC;
    if (FAILED(args->get_Reason(&reason)) || !FWindow) return;
    if (reason != COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT && reason != COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS) return;
    HWND root = ::GetAncestor(FWindow.Get(), GA_ROOT);
    HWND next = ::GetNextDlgTabItem(root, FWindow.Get(), reason == COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS);
    if (next && next != FWindow.Get()) ::SetFocus(next);
}

void TEdgeBrowser::HandleAcceleratorKey(ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
    COREWEBVIEW2_KEY_EVENT_KIND kind = COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN;
    UINT virtualKey = 0;
    INT keyLParam = 0;
    if (FAILED(args->get_KeyEventKind(&kind)) || FAILED(args->get_VirtualKey(&virtualKey)) ||
        FAILED(args->get_KeyEventLParam(&keyLParam)))
        return;
    HWND root = FWindow ? ::GetAncestor(FWindow.Get(), GA_ROOT) : nullptr;
    if (!root || root == FWindow.Get()) return;
    static constexpr UINT KeyMessages[] = {WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP};
    if (kind < 0 || kind > 3) return;
    MSG message{};
    message.hwnd = FWindow.Get();
    message.message = KeyMessages[kind];
    message.wParam = virtualKey;
    message.lParam = static_cast<LPARAM>(static_cast<UINT>(keyLParam));
    if (::SendMessageW(root, IsShortcutMessage, 0, reinterpret_cast<LPARAM>(&message)) != 0) args->put_Handled(TRUE);
}

// ---- operations ----

void TEdgeBrowser::CloseWebView() {
    TTokens& t = *FTokens;
    if (FWebView) {
        ICoreWebView2* w = FWebView.Get();
        w->remove_NavigationStarting(t.navigationStarting);
        w->remove_NavigationCompleted(t.navigationCompleted);
        w->remove_SourceChanged(t.sourceChanged);
        w->remove_HistoryChanged(t.historyChanged);
        w->remove_ContentLoading(t.contentLoading);
        w->remove_DocumentTitleChanged(t.documentTitleChanged);
        w->remove_NewWindowRequested(t.newWindowRequested);
        w->remove_FrameNavigationStarting(t.frameNavigationStarting);
        w->remove_FrameNavigationCompleted(t.frameNavigationCompleted);
        w->remove_WebResourceRequested(t.webResourceRequested);
        w->remove_ScriptDialogOpening(t.scriptDialogOpening);
        w->remove_PermissionRequested(t.permissionRequested);
        w->remove_ProcessFailed(t.processFailed);
        w->remove_WebMessageReceived(t.webMessageReceived);
        w->remove_ContainsFullScreenElementChanged(t.containsFullScreenElementChanged);
        w->remove_WindowCloseRequested(t.windowCloseRequested);
        if (const TComPtr<ICoreWebView2_4> later = FWebView.As<ICoreWebView2_4>();
            later && std::exchange(t.downloadsSubscribed, false))
            later->remove_DownloadStarting(t.downloadStarting);
        for (const auto& [name, token] : FDevToolsProtocolEventReceivedTokenMap) {
            TComPtr<ICoreWebView2DevToolsProtocolEventReceiver> receiver;
            if (SUCCEEDED(w->GetDevToolsProtocolEventReceiver(TWinText::Utf8ToWide(name).c_str(), receiver.Put())) &&
                receiver)
                receiver->remove_DevToolsProtocolEventReceived(token);
        }
        FDevToolsProtocolEventReceivedTokenMap.clear();
        FWebView.Reset();
    }
    if (FWebViewController) {
        ICoreWebView2Controller* c = FWebViewController.Get();
        c->remove_ZoomFactorChanged(t.zoomFactorChanged);
        c->remove_MoveFocusRequested(t.moveFocusRequested);
        c->remove_AcceleratorKeyPressed(t.acceleratorKeyPressed);
        c->remove_GotFocus(t.gotFocus);
        c->remove_LostFocus(t.lostFocus);
        c->Close();
        FWebViewController.Reset();
    }
}

void TEdgeBrowser::Navigate(const std::string& url) {
    if (FWebView)
        ProcessHResult(FWebView->Navigate(TWinText::Utf8ToWide(url).c_str()));
    else if (!IsBlank(url))
        FLastURL = url;
}

void TEdgeBrowser::NavigateToString(const std::string& htmlContent) {
    if (FWebView) ProcessHResult(FWebView->NavigateToString(TWinText::Utf8ToWide(htmlContent).c_str()));
}

void TEdgeBrowser::ExecuteScript(const std::string& javaScript) {
    if (!FWebView) return;
    ExecuteScript(javaScript, [this](HRESULT result, const std::string& resultJson) {
        if (OnExecuteScript) OnExecuteScript(*this, result, resultJson);
    });
}

void TEdgeBrowser::ExecuteScript(const std::string& javaScript,
                                 std::function<void(HRESULT, const std::string&)> completed) {
    if (!FWebView) {
        if (completed) completed(HRESULT_FROM_WIN32(ERROR_INVALID_STATE), {});
        return;
    }
    auto handler = TComCallback<ICoreWebView2ExecuteScriptCompletedHandler>::Create(
        [alive = FLifetime.Watch(), completed](HRESULT result, LPCWSTR resultJson) -> HRESULT {
            if (!alive.Expired() && completed)
                completed(result, resultJson ? TWinText::WideToUtf8(resultJson) : std::string());
            return S_OK;
        });
    const HRESULT started = FWebView->ExecuteScript(TWinText::Utf8ToWide(javaScript).c_str(), handler.Get());
    if (!ProcessHResult(started) && completed) completed(started, {});
}

void TEdgeBrowser::PostWebMessageAsJson(const std::string& json) {
    if (FWebView) ProcessHResult(FWebView->PostWebMessageAsJson(TWinText::Utf8ToWide(json).c_str()));
}

void TEdgeBrowser::GoBack() {
    if (FWebView) ProcessHResult(FWebView->GoBack());
}

void TEdgeBrowser::GoForward() {
    if (FWebView) ProcessHResult(FWebView->GoForward());
}

void TEdgeBrowser::Refresh() {
    if (FWebView) ProcessHResult(FWebView->Reload());
}

void TEdgeBrowser::Stop() {
    if (FWebView) ProcessHResult(FWebView->Stop());
}

void TEdgeBrowser::AddWebResourceRequestedFilter(const std::string& url, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    if (FWebView) ProcessHResult(FWebView->AddWebResourceRequestedFilter(TWinText::Utf8ToWide(url).c_str(), context));
}

bool TEdgeBrowser::AddWebResourceRequestedFilterForAllSources(const std::string& url,
                                                              COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    const TComPtr<ICoreWebView2_22> webView = FWebView.As<ICoreWebView2_22>();
    if (!webView) return false;
    return ProcessHResult(webView->AddWebResourceRequestedFilterWithRequestSourceKinds(
        TWinText::Utf8ToWide(url).c_str(), context, COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_ALL));
}

void TEdgeBrowser::RemoveWebResourceRequestedFilter(const std::string& url, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    if (FWebView)
        ProcessHResult(FWebView->RemoveWebResourceRequestedFilter(TWinText::Utf8ToWide(url).c_str(), context));
}

void TEdgeBrowser::CapturePreview(const std::string& fileName, TPreviewFormat format) {
    if (!FWebView) return;
    TComPtr<IStream> stream;
    if (!ProcessHResult(::SHCreateStreamOnFileW(TWinText::Utf8ToWide(fileName).c_str(), STGM_CREATE | STGM_READWRITE,
                                                stream.Put())))
        return;
    CapturePreview(stream.Get(), format);
}

void TEdgeBrowser::CapturePreview(IStream* stream, TPreviewFormat format) {
    if (!FWebView || !stream) return;
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    TComPtr<IStream> kept(stream);  // the stream must live until the capture has completed
    auto handler = TComCallback<ICoreWebView2CapturePreviewCompletedHandler>::Create(
        [this, alive = FLifetime.Watch(), kept](HRESULT result) -> HRESULT {
            if (!alive.Expired() && OnCapturePreviewCompleted) OnCapturePreviewCompleted(*this, result);
            return S_OK;
        });
    const auto imageFormat = format == TPreviewFormat::PNG ? COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG
                                                           : COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG;
    ProcessHResult(FWebView->CapturePreview(imageFormat, stream, handler.Get()));
}

void TEdgeBrowser::SubscribeToCDPEvent(const std::string& cdpEventName) {
    if (!FWebView) return;
    TComPtr<ICoreWebView2DevToolsProtocolEventReceiver> receiver;
    if (!ProcessHResult(
            FWebView->GetDevToolsProtocolEventReceiver(TWinText::Utf8ToWide(cdpEventName).c_str(), receiver.Put())) ||
        !receiver)
        return;
    if (auto existing = FDevToolsProtocolEventReceivedTokenMap.find(cdpEventName);
        existing != FDevToolsProtocolEventReceivedTokenMap.end())
        receiver->remove_DevToolsProtocolEventReceived(existing->second);
    EventRegistrationToken token{};
    ProcessHResult(Subscribe(
        receiver.Get(), &ICoreWebView2DevToolsProtocolEventReceiver::add_DevToolsProtocolEventReceived, token,
        [this, cdpEventName](ICoreWebView2*, ICoreWebView2DevToolsProtocolEventReceivedEventArgs* args) -> HRESULT {
            if (OnDevToolsProtocolEventReceived) {
                TCoTaskString json;
                args->get_ParameterObjectAsJson(json.Put());
                OnDevToolsProtocolEventReceived(*this, cdpEventName, TakeString(json));
            }
            return S_OK;
        }));
    FDevToolsProtocolEventReceivedTokenMap[cdpEventName] = token;
}

void TEdgeBrowser::CloseBrowserProcess() {
    const uint32_t processId = BrowserProcessID();
    CloseWebView();
    if (processId == 0) return;
    TKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (!process) return;
    if (::WaitForSingleObject(process.Get(), 2000) != WAIT_OBJECT_0) ::TerminateProcess(process.Get(), 1);
}

void TEdgeBrowser::ReinitializeWebViewWithNewBrowser() {
    CloseBrowserProcess();
    ReinitializeWebView();
}

void TEdgeBrowser::SetFocus() {
    if (FWindow) ::SetFocus(FWindow.Get());
    if (FWebViewController) ProcessHResult(FWebViewController->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC));
}

// ---- properties ----

void TEdgeBrowser::SetSizeRatio(double ratio) {
    FSizeRatio = ratio;
    ResizeWebView();
}

double TEdgeBrowser::ZoomFactor() const {
    double factor = 0;
    if (FWebViewController) RecordResult(*FShared, FWebViewController->get_ZoomFactor(&factor));
    return factor;
}

void TEdgeBrowser::SetZoomFactor(double factor) {
    if (FWebViewController) ProcessHResult(FWebViewController->put_ZoomFactor(factor));
}

bool TEdgeBrowser::CanGoBack() const {
    BOOL value = FALSE;
    return FWebView && RecordResult(*FShared, FWebView->get_CanGoBack(&value)) && value;
}

bool TEdgeBrowser::CanGoForward() const {
    BOOL value = FALSE;
    return FWebView && RecordResult(*FShared, FWebView->get_CanGoForward(&value)) && value;
}

bool TEdgeBrowser::ContainsFullScreenElement() const {
    BOOL value = FALSE;
    return FWebView && RecordResult(*FShared, FWebView->get_ContainsFullScreenElement(&value)) && value;
}

std::string TEdgeBrowser::DocumentTitle() const {
    if (!FWebView) return {};
    TCoTaskString title;
    if (!RecordResult(*FShared, FWebView->get_DocumentTitle(title.Put()))) return {};
    return TakeString(title);
}

std::string TEdgeBrowser::LocationURL() const {
    if (!FWebView) return {};
    TCoTaskString source;
    if (!RecordResult(*FShared, FWebView->get_Source(source.Put()))) return {};
    if (source && ::lstrcmpiW(source.Get(), L"about:blank") == 0) return {};
    return TakeString(source);
}

uint32_t TEdgeBrowser::BrowserProcessID() const {
    UINT32 id = 0;
    if (FWebView) RecordResult(*FShared, FWebView->get_BrowserProcessId(&id));
    return id;
}

std::string TEdgeBrowser::BrowserVersionInfo() const {
    if (FWebView && FWebViewEnvironment) {
        TCoTaskString version;
        if (!RecordResult(*FShared, FWebViewEnvironment->get_BrowserVersionString(version.Put()))) return {};
        return TakeString(version);
    }
    std::wstring version;
    if (!RecordResult(*FShared, TWebView2Loader::GetCoreWebView2BrowserVersionString(version))) return {};
    return TWinText::WideToUtf8(version);
}

bool TEdgeBrowser::ReadSetting(HRESULT (STDMETHODCALLTYPE ICoreWebView2Settings::*getter)(BOOL*)) const {
    if (!FWebViewSettings) throw EEdgeError(NotInstantiated, E_FAIL);
    BOOL value = FALSE;
    if (!RecordResult(*FShared, (FWebViewSettings.Get()->*getter)(&value))) throw EEdgeError(NotInstantiated, E_FAIL);
    return value != FALSE;
}

void TEdgeBrowser::WriteSetting(HRESULT (STDMETHODCALLTYPE ICoreWebView2Settings::*setter)(BOOL), bool value) {
    if (!FWebViewSettings) throw EEdgeError(NotInstantiated, E_FAIL);
    ProcessHResult((FWebViewSettings.Get()->*setter)(value ? TRUE : FALSE));
}

bool TEdgeBrowser::BuiltInErrorPageEnabled() const {
    return ReadSetting(&ICoreWebView2Settings::get_IsBuiltInErrorPageEnabled);
}
void TEdgeBrowser::SetBuiltInErrorPageEnabled(bool v) {
    WriteSetting(&ICoreWebView2Settings::put_IsBuiltInErrorPageEnabled, v);
}
bool TEdgeBrowser::DefaultContextMenusEnabled() const {
    return ReadSetting(&ICoreWebView2Settings::get_AreDefaultContextMenusEnabled);
}
void TEdgeBrowser::SetDefaultContextMenusEnabled(bool v) {
    WriteSetting(&ICoreWebView2Settings::put_AreDefaultContextMenusEnabled, v);
}
bool TEdgeBrowser::DefaultScriptDialogsEnabled() const {
    return ReadSetting(&ICoreWebView2Settings::get_AreDefaultScriptDialogsEnabled);
}
void TEdgeBrowser::SetDefaultScriptDialogsEnabled(bool v) {
    WriteSetting(&ICoreWebView2Settings::put_AreDefaultScriptDialogsEnabled, v);
}
bool TEdgeBrowser::DevToolsEnabled() const { return ReadSetting(&ICoreWebView2Settings::get_AreDevToolsEnabled); }
void TEdgeBrowser::SetDevToolsEnabled(bool v) { WriteSetting(&ICoreWebView2Settings::put_AreDevToolsEnabled, v); }
bool TEdgeBrowser::ScriptEnabled() const { return ReadSetting(&ICoreWebView2Settings::get_IsScriptEnabled); }
void TEdgeBrowser::SetScriptEnabled(bool v) { WriteSetting(&ICoreWebView2Settings::put_IsScriptEnabled, v); }
bool TEdgeBrowser::StatusBarEnabled() const { return ReadSetting(&ICoreWebView2Settings::get_IsStatusBarEnabled); }
void TEdgeBrowser::SetStatusBarEnabled(bool v) { WriteSetting(&ICoreWebView2Settings::put_IsStatusBarEnabled, v); }
bool TEdgeBrowser::WebMessageEnabled() const { return ReadSetting(&ICoreWebView2Settings::get_IsWebMessageEnabled); }
void TEdgeBrowser::SetWebMessageEnabled(bool v) { WriteSetting(&ICoreWebView2Settings::put_IsWebMessageEnabled, v); }
bool TEdgeBrowser::ZoomControlEnabled() const { return ReadSetting(&ICoreWebView2Settings::get_IsZoomControlEnabled); }
void TEdgeBrowser::SetZoomControlEnabled(bool v) { WriteSetting(&ICoreWebView2Settings::put_IsZoomControlEnabled, v); }

}  // namespace zorv
