#pragma once
#include <memory>

namespace zorv {

// Tells a callback that may run after its owner has gone (a queued task, a completion, a nested
// message loop that destroyed it) whether the owner is still there. The owner holds the token;
// callbacks keep a watch, which expires when the token is destroyed with its owner.
class TLifetimeToken {
public:
    class TWatch {
    public:
        TWatch() = default;
        bool Expired() const { return FAlive.expired(); }

    private:
        friend class TLifetimeToken;
        explicit TWatch(std::weak_ptr<const char> alive) : FAlive(std::move(alive)) {}
        std::weak_ptr<const char> FAlive;
    };

    TLifetimeToken() = default;
    // Copies and moves would let a watch outlive the owner it speaks for.
    TLifetimeToken(const TLifetimeToken&) = delete;
    TLifetimeToken& operator=(const TLifetimeToken&) = delete;

    TWatch Watch() const { return TWatch(FAlive); }
    // Ends the owner's life for its watchers now, before it tears down what they would touch.
    void Expire() { FAlive.reset(); }

private:
    std::shared_ptr<const char> FAlive = std::make_shared<const char>('\0');
};

}  // namespace zorv
