#pragma once
#include <string>
#include <utility>
#include <variant>

namespace zorv {

// Why an operation did not do what it was asked, in words a user or an author can act on.
struct TFailure {
    std::string message;
};

inline TFailure Failure(std::string message) { return TFailure{std::move(message)}; }

// The outcome of an operation whose caller must look at it: a value, or the message of a failure.
// Tests and branches read it as a bool; Error() is empty on success.
template <class T>
class [[nodiscard]] TResult {
public:
    TResult(T value) : FState(std::in_place_index<0>, std::move(value)) {}
    TResult(TFailure failure) : FState(std::in_place_index<1>, std::move(failure)) {}

    bool Ok() const { return FState.index() == 0; }
    explicit operator bool() const { return Ok(); }

    const T& Value() const& { return std::get<0>(FState); }
    T& Value() & { return std::get<0>(FState); }
    T&& Value() && { return std::get<0>(std::move(FState)); }
    T ValueOr(T fallback) const { return Ok() ? Value() : std::move(fallback); }

    const std::string& Error() const { return Ok() ? NoError() : std::get<1>(FState).message; }

private:
    static const std::string& NoError() {
        static const std::string none;
        return none;
    }

    std::variant<T, TFailure> FState;
};

// An operation that gives nothing back but may fail.
template <>
class [[nodiscard]] TResult<void> {
public:
    TResult() = default;
    TResult(TFailure failure) : FError(std::move(failure.message)), FFailed(true) {}

    bool Ok() const { return !FFailed; }
    explicit operator bool() const { return Ok(); }
    const std::string& Error() const { return FError; }

private:
    std::string FError;
    bool FFailed = false;
};

using TStatus = TResult<void>;

// Named so, not Success, which the X11 headers define as a macro.
inline TStatus Succeeded() { return {}; }

}  // namespace zorv
