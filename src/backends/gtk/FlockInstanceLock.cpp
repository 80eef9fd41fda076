#include "backends/gtk/FlockInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "runtime/ExeZipLoader.h"

namespace zorv {

TFlockInstanceLock::~TFlockInstanceLock() {
    if (FFd >= 0) close(FFd);
}

std::string TFlockInstanceLock::LockFilePath(const std::string& appID, const std::string& appDataDir) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = runtimeDir && *runtimeDir ? std::string(runtimeDir) + "/" : appDataDir;
    return dir + "zorv-" + TExeZipLoader::SafeFolderName(appID) + ".lock";
}

TInstanceLockResult TFlockInstanceLock::Acquire(const std::string& appID, const std::string& appDataDir) {
    TInstanceLockResult result;
    const std::string path = LockFilePath(appID, appDataDir);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return result;  // no lock to be had: behave as the only instance
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        result.lock.reset(new TFlockInstanceLock(fd));
        return result;
    }
    result.otherInstanceRunning = errno == EWOULDBLOCK;
    close(fd);
    return result;
}

}  // namespace zorv
