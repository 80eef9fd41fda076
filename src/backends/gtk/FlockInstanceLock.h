#pragma once
#include <memory>
#include <string>

#include "runtime/StartupHost.h"

namespace zorv {

// The single-instance lock on Linux: an exclusive flock on "<runtime dir>/zorv-<ID>.lock" (the
// per-user $XDG_RUNTIME_DIR, else the data folder). The kernel drops it when the process ends,
// however it ends.
class TFlockInstanceLock final : public IInstanceLock {
public:
    ~TFlockInstanceLock() override;
    TFlockInstanceLock(const TFlockInstanceLock&) = delete;
    TFlockInstanceLock& operator=(const TFlockInstanceLock&) = delete;

    static TInstanceLockResult Acquire(const std::string& appID, const std::string& appDataDir);
    static std::string LockFilePath(const std::string& appID, const std::string& appDataDir);

private:
    explicit TFlockInstanceLock(int fd) : FFd(fd) {}
    int FFd;
};

}  // namespace zorv
