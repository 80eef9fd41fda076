#include "FakeWebView2.h"

#include <cstring>

namespace zorv::test {

LPWSTR CoTaskCopy(const std::wstring& text) {
    auto* copy = static_cast<LPWSTR>(::CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return copy;
}

HRESULT TEventTable::Add(const std::string& name, IUnknown* handler, EventRegistrationToken* token) {
    if (!handler || !token) return E_POINTER;
    token->value = ++FNextToken;
    FHandlers[name][token->value] = TComPtr<IUnknown>(handler);
    return S_OK;
}

HRESULT TEventTable::Remove(const std::string& name, EventRegistrationToken token) {
    auto event = FHandlers.find(name);
    if (event == FHandlers.end() || event->second.erase(token.value) == 0) ++FWrongRemovals;
    return S_OK;
}

std::size_t TEventTable::Count(const std::string& name) const {
    auto event = FHandlers.find(name);
    return event == FHandlers.end() ? 0 : event->second.size();
}

std::size_t TEventTable::Total() const {
    std::size_t total = 0;
    for (const auto& [name, handlers] : FHandlers) total += handlers.size();
    return total;
}

TFakeWebView::TFakeWebView() : settings(MakeFake<TFakeSettings>()) {}

HRESULT TFakeWebView::get_Settings(ICoreWebView2Settings** value) {
    *value = settings.Get();
    settings->AddRef();
    return S_OK;
}

HRESULT TFakeWebView::get_Source(LPWSTR* uri) {
    *uri = CoTaskCopy(source);
    return S_OK;
}

HRESULT TFakeWebView::Navigate(LPCWSTR uri) {
    navigations.emplace_back(uri);
    source = uri;
    return S_OK;
}

HRESULT TFakeWebView::AddScriptToExecuteOnDocumentCreated(
    LPCWSTR script, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler*) {
    documentScripts.emplace_back(script);
    return S_OK;
}

HRESULT TFakeWebView::ExecuteScript(LPCWSTR script, ICoreWebView2ExecuteScriptCompletedHandler* handler) {
    executedScripts.emplace_back(script);
    const auto result = scriptResults.find(script);
    if (handler) handler->Invoke(S_OK, result == scriptResults.end() ? L"null" : result->second.c_str());
    return S_OK;
}

HRESULT TFakeWebView::PostWebMessageAsJson(LPCWSTR json) {
    postedJson.emplace_back(json);
    return S_OK;
}

HRESULT TFakeWebView::get_DocumentTitle(LPWSTR* value) {
    *value = CoTaskCopy(title);
    return S_OK;
}

HRESULT TFakeWebView::get_ContainsFullScreenElement(BOOL* value) {
    *value = fullScreen;
    return S_OK;
}

HRESULT TFakeWebView::get_BrowserProcessId(UINT32* value) {
    *value = 0;
    return S_OK;
}

HRESULT TFakeWebView::AddWebResourceRequestedFilter(LPCWSTR const uri,
                                                    COREWEBVIEW2_WEB_RESOURCE_CONTEXT const context) {
    filters.emplace_back(uri, static_cast<int>(context));
    return S_OK;
}

HRESULT TFakeWebView::GetDevToolsProtocolEventReceiver(LPCWSTR name,
                                                       ICoreWebView2DevToolsProtocolEventReceiver** value) {
    TComPtr<TFakeDevToolsReceiver>& receiver = devTools[name];
    if (!receiver) receiver = MakeFake<TFakeDevToolsReceiver>();
    *value = receiver.Get();
    receiver->AddRef();
    return S_OK;
}

TFakeController::TFakeController() : webView(MakeFake<TFakeWebView>()) {}

HRESULT TFakeController::put_Bounds(RECT value) {
    bounds = value;
    return S_OK;
}

HRESULT TFakeController::put_IsVisible(BOOL value) {
    visible = value;
    return S_OK;
}

HRESULT TFakeController::get_ZoomFactor(double* value) {
    *value = 1.0;
    return S_OK;
}

HRESULT TFakeController::MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) {
    if (reason == COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC) ++programmaticFocusMoves;
    return S_OK;
}

HRESULT TFakeController::Close() {
    closed = true;
    return S_OK;
}

HRESULT TFakeController::get_CoreWebView2(ICoreWebView2** value) {
    if (FAILED(webViewResult)) {
        *value = nullptr;
        return webViewResult;
    }
    *value = webView.Get();
    webView->AddRef();
    return S_OK;
}

TFakeEnvironment::TFakeEnvironment() : controller(MakeFake<TFakeController>()) {}

HRESULT TFakeEnvironment::CreateCoreWebView2Controller(
    HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
    ++controllersRequested;
    parentWindow = parent;
    // WebView2 answers later, through the message loop.
    TComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> kept(handler);
    TComPtr<TFakeController> created = controller;
    const HRESULT result = controllerResult;
    auto* work = new std::function<void()>(
        [kept, created, result] { kept->Invoke(result, SUCCEEDED(result) ? created.Get() : nullptr); });
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP + 0x77, 0, reinterpret_cast<LPARAM>(work));
    return S_OK;
}

HRESULT TFakeEnvironment::CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                                    LPCWSTR headers, ICoreWebView2WebResourceResponse** response) {
    auto fake = MakeFake<TFakeResponse>();
    fake->status = statusCode;
    fake->reason = reasonPhrase ? reasonPhrase : L"";
    fake->headers = headers ? headers : L"";
    if (content) {
        char buffer[4096];
        ULONG read = 0;
        while (SUCCEEDED(content->Read(buffer, sizeof(buffer), &read)) && read > 0) fake->content.append(buffer, read);
    }
    *response = fake.Get();
    fake->AddRef();
    return S_OK;
}

HRESULT TFakeEnvironment::get_BrowserVersionString(LPWSTR* value) {
    *value = CoTaskCopy(L"120.0.0.0");
    return S_OK;
}

TEdgeBrowser::TEnvironmentFactory FactoryFor(TComPtr<TFakeEnvironment> environment, HRESULT result) {
    return [environment, result](ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) -> HRESULT {
        if (FAILED(result)) return result;
        handler->Invoke(S_OK, environment.Get());
        return S_OK;
    };
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!message.hwnd && message.message == WM_APP + 0x77) {
                auto* work = reinterpret_cast<std::function<void()>*>(message.lParam);
                (*work)();
                delete work;
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return true;
}

namespace {
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

TTestWindow::TTestWindow(int width, int height) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZorvTestWindow";
    ::RegisterClassExW(&windowClass);
    FWindow.Reset(::CreateWindowExW(0, L"ZorvTestWindow", L"test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, width,
                                    height, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
}

}  // namespace zorv::test
