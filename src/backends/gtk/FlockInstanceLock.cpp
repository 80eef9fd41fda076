#include "backends/gtk/FlockInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "runtime/StartupSequence.h"

namespace zorv {

TFlockInstanceLock::TFlockInstanceLock(int fd, bool held) : FFd(fd) {
    if (!held) FTakeOverSource = g_timeout_add(TakeOverIntervalMs, TryTakeOver, this);
}

TFlockInstanceLock::~TFlockInstanceLock() {
    if (FTakeOverSource) g_source_remove(FTakeOverSource);
    if (FFd >= 0) close(FFd);
}

gboolean TFlockInstanceLock::TryTakeOver(gpointer self) {
    auto* lock = static_cast<TFlockInstanceLock*>(self);
    if (flock(lock->FFd, LOCK_EX | LOCK_NB) != 0) return G_SOURCE_CONTINUE;
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
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return result;  // no lock to be had: behave as the only instance
    const bool held = flock(fd, LOCK_EX | LOCK_NB) == 0;
    result.otherInstanceRunning = !held && errno == EWOULDBLOCK;
    if (!held && !result.otherInstanceRunning) {
        close(fd);  // no lock to be had: behave as the only instance
        return result;
    }
    result.lock.reset(new TFlockInstanceLock(fd, held));
    return result;
}

}  // namespace zorv
