#pragma once
#include <unistd.h>

#include <utility>

namespace zorv {

// Owns one POSIX file descriptor and closes it when it goes; -1 owns nothing. The one owner of
// descriptors in the code base: nothing else calls close().
class TUniqueFd {
public:
    TUniqueFd() = default;
    explicit TUniqueFd(int fd) : FFd(fd) {}
    ~TUniqueFd() { Reset(); }
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;
    TUniqueFd(TUniqueFd&& other) noexcept : FFd(other.Release()) {}
    TUniqueFd& operator=(TUniqueFd&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    bool Valid() const { return FFd >= 0; }
    int Get() const { return FFd; }
    int Release() { return std::exchange(FFd, -1); }
    void Reset(int fd = -1) {
        (void)Close();
        FFd = fd;
    }
    // Closes the descriptor now; false when close() failed, which for a file just written can be
    // the first sign that its bytes did not reach the disk. Owning nothing counts as closed.
    [[nodiscard]] bool Close() {
        const int fd = Release();
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int FFd = -1;
};

}  // namespace zorv
