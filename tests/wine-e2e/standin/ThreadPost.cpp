#include "ThreadPost.h"

#include <thread>

namespace zorv::test {

namespace {
constexpr wchar_t WindowClassName[] = L"ZorvStandInWebView2Queue";
constexpr UINT RunWorkMessage = WM_APP + 0x57;

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

LRESULT CALLBACK QueueWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == RunWorkMessage) {
        auto* work = reinterpret_cast<std::function<void()>*>(lParam);
        (*work)();
        delete work;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void RegisterQueueClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = QueueWindowProc;
        windowClass.hInstance = ThisModule();
        windowClass.lpszClassName = WindowClassName;
        return ::RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}
}  // namespace

HWND TThreadPost::CurrentThreadWindow() {
    // The window dies with its thread, as the system destroys a thread's windows when it ends.
    thread_local HWND window = nullptr;
    if (!window || !::IsWindow(window)) {
        RegisterQueueClass();
        window = ::CreateWindowExW(0, WindowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(),
                                   nullptr);
    }
    return window;
}

void TThreadPost::Post(HWND window, std::function<void()> work) {
    auto* heldWork = new std::function<void()>(std::move(work));
    if (!::PostMessageW(window, RunWorkMessage, 0, reinterpret_cast<LPARAM>(heldWork))) delete heldWork;
}

void TThreadPost::PostAfter(HWND window, DWORD delayMs, std::function<void()> work) {
    std::thread([window, delayMs, work = std::move(work)]() mutable {
        ::Sleep(delayMs);
        Post(window, std::move(work));
    }).detach();
}

}  // namespace zorv::test
