#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "shared/Result.h"

namespace zorv {

// What ExitWindows is asked to do; the Windows backend maps these onto EWX_* | EWX_FORCE.
enum class TExitWindowsAction : uint32_t { Logoff = 4, Reboot = 6, Shutdown = 5 };

// The operating-system services of TSysUtils that the bridge and start-up call. Each backend
// implements it over its platform; none of these ever throws. A refused request fails with the
// system's message for it. Paths and texts are UTF-8.
// Folder getters return their path with a trailing delimiter.
class IOperatingSystem {
public:
    virtual ~IOperatingSystem() = default;
    virtual TStatus ExitWindows(TExitWindowsAction action) = 0;
    virtual std::vector<std::string> GetWindowsCaptions() = 0;
    // Runs the command through the platform's command interpreter; standard output and error
    // merged; blocks until the command has ended and its output is drained. Empty when the
    // interpreter cannot be started (for example a working folder that does not exist).
    // Safe to call from a worker thread.
    virtual std::string GetDosOutput(const std::string& commandLine, const std::string& workingDir,
                                     bool showWindow) = 0;
    virtual TStatus ShellExec(const std::string& filePath, const std::string& arguments) = 0;
    virtual TStatus ShellExplore(const std::string& filePath) = 0;
    virtual TStatus DeleteDirectory(const std::string& dirPath) = 0;
    virtual std::string GetUserDesktopDirPath() = 0;
    virtual std::string GetUserDocumentsDirPath() = 0;
    virtual std::string GetUserAppDataDirPath() = 0;
    virtual std::string GetLocalAppDataDirPath() = 0;
    virtual std::string GetTempDirPath() = 0;
};

}  // namespace zorv
