#include "backends/test/QueuedUiThread.h"

namespace zorv {

void TQueuedUiThread::Post(std::function<void()> work) {
    {
        const std::lock_guard lock(FMutex);
        FQueue.push_back(std::move(work));
    }
    FArrived.notify_all();
}

int TQueuedUiThread::RunPending() {
    std::deque<std::function<void()>> ready;
    {
        const std::lock_guard lock(FMutex);
        ready.swap(FQueue);
    }
    for (auto& work : ready) work();
    return static_cast<int>(ready.size());
}

bool TQueuedUiThread::WaitAndRun(std::chrono::milliseconds limit) {
    {
        std::unique_lock lock(FMutex);
        if (!FArrived.wait_for(lock, limit, [this] { return !FQueue.empty(); })) return false;
    }
    return RunPending() > 0;
}

}  // namespace zorv
