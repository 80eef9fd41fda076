#pragma once
#include <functional>

namespace zorv {

// Queues work onto the user-interface thread's message loop. Safe to call from any thread.
class IUiThread {
public:
    virtual ~IUiThread() = default;
    virtual void Post(std::function<void()> work) = 0;
};

}  // namespace zorv
