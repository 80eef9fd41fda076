#pragma once
// Delivery of work through a thread's message queue, the way WebView2 hands its completions and
// events to the thread that asked: nothing runs inside the call that caused it.

#include <windows.h>

#include <functional>

namespace zorv::test {

class TThreadPost {
public:
    TThreadPost() = delete;

    // A message-only window of the calling thread; work posted to it runs on that thread.
    static HWND CurrentThreadWindow();
    static void Post(HWND window, std::function<void()> work);
    // Posts after `delayMs` without blocking the caller (a short-lived timer thread).
    static void PostAfter(HWND window, DWORD delayMs, std::function<void()> work);
};

}  // namespace zorv::test
