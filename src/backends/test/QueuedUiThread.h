#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/UiThread.h"

namespace zorv {

// A stand-in for the UI thread's message loop: work posted from any thread waits in a queue
// until the test's own thread runs it.
class TQueuedUiThread : public IUiThread {
public:
    void Post(std::function<void()> work) override;
    // Runs what is queued now; returns how many items ran.
    int RunPending();
    // Waits until work arrives (or the limit passes) and runs it; false when nothing came.
    bool WaitAndRun(std::chrono::milliseconds limit);

private:
    std::mutex FMutex;
    std::condition_variable FArrived;
    std::deque<std::function<void()>> FQueue;
};

}  // namespace zorv
