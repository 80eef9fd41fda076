#include "backends/win32/WinUiThread.h"

namespace zorv {

namespace {
constexpr UINT RunQueuedMessage = WM_APP + 0x5A1;
constexpr wchar_t WindowClassName[] = L"ZorvUiThreadQueue";

void RegisterQueueClass(WNDPROC proc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = WindowClassName;
    ::RegisterClassExW(&windowClass);  // fails harmlessly when already registered
}
}  // namespace

TWinUiThread::TWinUiThread() : FThreadId(::GetCurrentThreadId()) {
    RegisterQueueClass(&TWinUiThread::WindowProc);
    FWindow.Reset(::CreateWindowExW(0, WindowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr));
    ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWinUiThread::~TWinUiThread() { ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0); }

void TWinUiThread::Post(std::function<void()> work) {
    {
        std::lock_guard lock(FLock);
        FQueue.push_back(std::move(work));
    }
    ::PostMessageW(FWindow.Get(), RunQueuedMessage, 0, 0);
}

void TWinUiThread::RunOrPost(std::function<void()> work) {
    if (IsUiThread())
        work();
    else
        Post(std::move(work));
}

bool TWinUiThread::IsUiThread() const { return ::GetCurrentThreadId() == FThreadId; }

void TWinUiThread::RunPending() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(FLock);
            if (FQueue.empty()) return;
            work = std::move(FQueue.front());
            FQueue.pop_front();
        }
        if (work) work();
    }
}

LRESULT CALLBACK TWinUiThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == RunQueuedMessage) {
        if (auto* self = reinterpret_cast<TWinUiThread*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
            self->RunPending();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace zorv
