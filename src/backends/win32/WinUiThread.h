#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

#include "platform/UiThread.h"
#include "shared/Win32Handles.h"

namespace zorv {

// The user-interface thread's work queue: a message-only window created on that thread, to which
// any thread posts a private message after adding work to a locked queue. The message loop of the
// thread (modal loops included) runs the work in the order it was posted.
class TWinUiThread final : public IUiThread {
public:
    TWinUiThread();  // call on the user-interface thread
    ~TWinUiThread() override;
    TWinUiThread(const TWinUiThread&) = delete;
    TWinUiThread& operator=(const TWinUiThread&) = delete;

    void Post(std::function<void()> work) override;
    // Runs the work at once on the user-interface thread, else queues it there.
    void RunOrPost(std::function<void()> work);
    bool IsUiThread() const;
    // Runs every queued item now (also done by the message loop); for tests and shutdown.
    void RunPending();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    DWORD FThreadId;
    TWindowHandle FWindow;
    std::mutex FLock;
    std::deque<std::function<void()>> FQueue;
};

}  // namespace zorv
