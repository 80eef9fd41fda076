#include "backends/win32/EdgeBrowser.h"

#include <atomic>
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

// The control's event registrations, each written once: added with its handler, and removed with
// its own token, on the object it was added to, when the web view closes.
class TEdgeBrowser::TSubscriptions {
public:
    template <class Source, class Handler, class Function>
    HRESULT Add(Source* source, HRESULT (STDMETHODCALLTYPE Source::*add)(Handler*, EventRegistrationToken*),
                HRESULT (STDMETHODCALLTYPE Source::*remove)(EventRegistrationToken), Function function) {
        EventRegistrationToken token{};
        const HRESULT result = (source->*add)(TComCallback<Handler>::Create(std::move(function)).Get(), &token);
        if (SUCCEEDED(result))
            FRemovals.push_back([kept = TComPtr<Source>(source), remove, token] { (kept.Get()->*remove)(token); });
        return result;
    }
    void RemoveAll() {
        for (const auto& removal : FRemovals) removal();
        FRemovals.clear();
    }

private:
    std::vector<std::function<void()>> FRemovals;
};

namespace {
constexpr wchar_t WindowClassName[] = L"ZorvEdgeBrowser";
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

}  // namespace

TEdgeBrowser::TEdgeBrowser(TWinUiThread& uiThread, TEnvironmentFactory environmentFactory)
    : FUiThread(uiThread),
      FEnvironmentFactory(environmentFactory ? std::move(environmentFactory)
                                             : TEnvironmentFactory(&TWebView2Loader::CreateCoreWebView2Environment)),
      FShared(std::make_shared<TShared>()),
      FSubscriptions(std::make_unique<TSubscriptions>()) {}

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
        InitializeWebView();
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
            if (FWebViewController)
                ProcessHResult(FWebViewController->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC));
            return 0;
        case WM_KILLFOCUS: return 0;
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

void TEdgeBrowser::ResizeWebView() {
    if (!FWebViewController || !FWindow) return;
    RECT client{};
    ::GetClientRect(FWindow.Get(), &client);
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

void TEdgeBrowser::InitializeWebView() {
    CloseWebView();
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
    TSubscriptions& on = *FSubscriptions;
    auto record = [this](HRESULT result) { ProcessHResult(result); };

    record(on.Add(webView, &ICoreWebView2::add_NavigationStarting, &ICoreWebView2::remove_NavigationStarting,
                  [this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) -> HRESULT {
                      if (OnNavigationStarting) {
                          TNavigationStartingEventArgs wrapper(args);
                          OnNavigationStarting(*this, wrapper);
                      }
                      return S_OK;
                  }));
    record(on.Add(webView, &ICoreWebView2::add_NavigationCompleted, &ICoreWebView2::remove_NavigationCompleted,
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
    record(on.Add(webView, &ICoreWebView2::add_ContentLoading, &ICoreWebView2::remove_ContentLoading,
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
    record(on.Add(webView, &ICoreWebView2::add_DocumentTitleChanged, &ICoreWebView2::remove_DocumentTitleChanged,
                  [this](ICoreWebView2*, IUnknown*) -> HRESULT {
                      if (OnDocumentTitleChanged) OnDocumentTitleChanged(*this, DocumentTitle());
                      return S_OK;
                  }));
    record(on.Add(webView, &ICoreWebView2::add_NewWindowRequested, &ICoreWebView2::remove_NewWindowRequested,
                  [this](ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) -> HRESULT {
                      if (OnNewWindowRequested) {
                          TNewWindowRequestedEventArgs wrapper(args);
                          OnNewWindowRequested(*this, wrapper);
                      }
                      return S_OK;
                  }));
    record(on.Add(webView, &ICoreWebView2::add_WebResourceRequested, &ICoreWebView2::remove_WebResourceRequested,
                  [this](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) -> HRESULT {
                      if (OnWebResourceRequested) {
                          TWebResourceRequestedEventArgs wrapper(args);
                          OnWebResourceRequested(*this, wrapper);
                      }
                      return S_OK;
                  }));
    record(on.Add(webView, &ICoreWebView2::add_PermissionRequested, &ICoreWebView2::remove_PermissionRequested,
                  [this](ICoreWebView2*, ICoreWebView2PermissionRequestedEventArgs* args) -> HRESULT {
                      if (OnPermissionRequested) {
                          TPermissionRequestedEventArgs wrapper(args);
                          OnPermissionRequested(*this, wrapper);
                      }
                      return S_OK;
                  }));
    record(on.Add(webView, &ICoreWebView2::add_ProcessFailed, &ICoreWebView2::remove_ProcessFailed,
                  [this](ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* args) -> HRESULT {
                      if (OnProcessFailed) {
                          COREWEBVIEW2_PROCESS_FAILED_KIND kind =
                              COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED;
                          args->get_ProcessFailedKind(&kind);
                          OnProcessFailed(*this, kind);
                      }
                      return S_OK;
                  }));
    record(on.Add(webView, &ICoreWebView2::add_WebMessageReceived, &ICoreWebView2::remove_WebMessageReceived,
                  [this](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) -> HRESULT {
                      if (OnWebMessageReceived) {
                          TWebMessageReceivedEventArgs wrapper(args);
                          OnWebMessageReceived(*this, wrapper);
                      }
                      return S_OK;
                  }));
    if (OnDownloadStarting) SubscribeToDownloads();
    record(on.Add(controller, &ICoreWebView2Controller::add_MoveFocusRequested,
                  &ICoreWebView2Controller::remove_MoveFocusRequested,
                  [this](ICoreWebView2Controller*, ICoreWebView2MoveFocusRequestedEventArgs* args) -> HRESULT {
                      HandleMoveFocusRequested(args);
                      return S_OK;
                  }));
    record(on.Add(controller, &ICoreWebView2Controller::add_AcceleratorKeyPressed,
                  &ICoreWebView2Controller::remove_AcceleratorKeyPressed,
                  [this](ICoreWebView2Controller*, ICoreWebView2AcceleratorKeyPressedEventArgs* args) -> HRESULT {
                      HandleAcceleratorKey(args);
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
    ProcessHResult(FSubscriptions->Add(webView.Get(), &ICoreWebView2_4::add_DownloadStarting,
                                       &ICoreWebView2_4::remove_DownloadStarting,
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
    FSubscriptions->RemoveAll();
    FWebView.Reset();
    if (FWebViewController) {
        FWebViewController->Close();
        FWebViewController.Reset();
    }
}

void TEdgeBrowser::Navigate(const std::string& url) {
    if (FWebView)
        ProcessHResult(FWebView->Navigate(TWinText::Utf8ToWide(url).c_str()));
    else if (!IsBlank(url))
        FLastURL = url;
}

void TEdgeBrowser::ExecuteScript(const std::string& javaScript) {
    if (FWebView) ExecuteScript(javaScript, {});
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

void TEdgeBrowser::SetFocus() {
    if (FWindow) ::SetFocus(FWindow.Get());
    if (FWebViewController) ProcessHResult(FWebViewController->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC));
}

// ---- properties ----

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

}  // namespace zorv
