#include "ThreadPost.h"

#include <thread>

#include "Transcript.h"

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

constexpr DWORD NestedRetryMs = 20;

// How many deliveries (events, completions) of this thread are running now. WebView2 hands them
// over one at a time: a delivery that starts while another is still running means that a handler
// ran a message loop of its own (a modal dialog, a message box), which WebView2 does not support.
thread_local int DeliveriesRunning = 0;

void ReportNestedLoop() {
    static bool reported = false;
    if (reported) return;
    reported = true;
    TTranscript::Instance().Write(
        {{"event", "nestedMessageLoop"},
         {"why",
          "a WebView2 event or completion handler ran a message loop; WebView2 delivers one event "
          "at a time and does not support re-entry"}});
}

LRESULT CALLBACK QueueWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == RunWorkMessage) {
        auto* work = reinterpret_cast<std::function<void()>*>(lParam);
        if (DeliveriesRunning > 0) {
            // Held back as WebView2 holds its next event until the handler returns.
            ReportNestedLoop();
            TThreadPost::PostAfter(window, NestedRetryMs, std::move(*work));
            delete work;
            return 0;
        }
        ++DeliveriesRunning;
        (*work)();
        --DeliveriesRunning;
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
        window =
            ::CreateWindowExW(0, WindowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
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
