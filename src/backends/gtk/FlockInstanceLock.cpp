#include "backends/gtk/FlockInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "runtime/StartupSequence.h"

namespace zorv {

TFlockInstanceLock::TFlockInstanceLock(TUniqueFd fd, bool held) : FFd(std::move(fd)) {
    if (!held) FTakeOverSource = g_timeout_add(TakeOverIntervalMs, TryTakeOver, this);
}

TFlockInstanceLock::~TFlockInstanceLock() {
    if (FTakeOverSource) g_source_remove(FTakeOverSource);
}

gboolean TFlockInstanceLock::TryTakeOver(gpointer self) {
    auto* lock = static_cast<TFlockInstanceLock*>(self);
    if (flock(lock->FFd.Get(), LOCK_EX | LOCK_NB) != 0) return G_SOURCE_CONTINUE;
    lock->FTakeOverSource = 0;
    return G_SOURCE_REMOVE;
}

std::string TFlockInstanceLock::LockFilePath(const std::string& appID, const std::string& appDataDir) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = runtimeDir && *runtimeDir ? std::string(runtimeDir) + "/" : appDataDir;
    return dir + "zorv-" + TStartupSequence::SafeFolderName(appID) + ".lock";
}

TInstanceLockResult TFlockInstanceLock::Acquire(const std::string& appID, const std::string& appDataDir) {
    TInstanceLockResult result;
    const std::string path = LockFilePath(appID, appDataDir);
    TUniqueFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.Valid()) return result;  // no lock to be had: behave as the only instance
    const bool held = flock(fd.Get(), LOCK_EX | LOCK_NB) == 0;
    result.otherInstanceRunning = !held && errno == EWOULDBLOCK;
    // No lock to be had: behave as the only instance.
    if (!held && !result.otherInstanceRunning) return result;
    result.lock.reset(new TFlockInstanceLock(std::move(fd), held));
    return result;
}

}  // namespace zorv
