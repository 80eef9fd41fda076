#pragma once
#include <glib.h>

#include <memory>
#include <string>

#include "runtime/StartupHost.h"
#include "shared/PosixUniqueFd.h"

namespace zorv {

// The single-instance lock on Linux: an exclusive flock on "<runtime dir>/zorv-<ID>.lock" (the
// per-user $XDG_RUNTIME_DIR, else the data folder). The kernel drops it when the process ends,
// however it ends. An instance that finds it held (one started beside a running instance) takes
// it over as soon as it is free, so that while any instance runs a later start finds it held.
class TFlockInstanceLock final : public IInstanceLock {
public:
    ~TFlockInstanceLock() override;
    TFlockInstanceLock(const TFlockInstanceLock&) = delete;
    TFlockInstanceLock& operator=(const TFlockInstanceLock&) = delete;

    static TInstanceLockResult Acquire(const std::string& appID, const std::string& appDataDir);
    static std::string LockFilePath(const std::string& appID, const std::string& appDataDir);
    bool Held() const { return FTakeOverSource == 0; }

    // How often a waiting instance tries to take the lock over.
    static constexpr guint TakeOverIntervalMs = 500;

private:
    TFlockInstanceLock(TUniqueFd fd, bool held);
    static gboolean TryTakeOver(gpointer self);

    TUniqueFd FFd;
    guint FTakeOverSource = 0;  // the main loop's retry while another instance holds the lock
};

}  // namespace zorv
