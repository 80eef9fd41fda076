#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "platform/OperatingSystem.h"

namespace zorv {

// Real commands, folders and folder deletion; recorded fakes for what would touch the session or
// the desktop (ending the session, opening documents, the file manager, window titles).
class TTestOperatingSystem : public IOperatingSystem {
public:
    struct TShellRequest {
        std::string verb;  // "exec" or "explore"
        std::string filePath;
        std::string arguments;
    };

    TStatus ExitWindows(TExitWindowsAction action) override;
    std::vector<std::string> GetWindowsCaptions() override { return FWindowCaptions; }
    std::string GetDosOutput(const std::string& commandLine, const std::string& workingDir, bool showWindow) override;
    TStatus ShellExec(const std::string& filePath, const std::string& arguments) override;
    TStatus ShellExplore(const std::string& filePath) override;
    TStatus DeleteDirectory(const std::string& dirPath) override;
    std::string GetUserDesktopDirPath() override;
    std::string GetUserDocumentsDirPath() override;
    std::string GetUserAppDataDirPath() override;
    std::string GetLocalAppDataDirPath() override;
    std::string GetTempDirPath() override;

    // What the fakes answer.
    void SetWindowCaptions(std::vector<std::string> captions) { FWindowCaptions = std::move(captions); }
    void SetShellAccepts(bool accepts) { FShellAccepts = accepts; }
    void SetExitWindowsAccepts(bool accepts) { FExitWindowsAccepts = accepts; }
    // Commands run out of memory for their output (std::bad_alloc) instead of running.
    void SetCommandsRunOutOfMemory(bool value) { FCommandsRunOutOfMemory = value; }
    // The message a refused request leaves behind.
    void SetFailureMessage(std::string message) { FFailureMessage = std::move(message); }

    const std::vector<TExitWindowsAction>& ExitRequests() const { return FExitRequests; }
    const std::vector<TShellRequest>& ShellRequests() const { return FShellRequests; }
    // Commands run so far, with whether a window was asked for ("1"/"0" before the command).
    std::vector<std::string> Commands() const;

private:
    TStatus Refuse() const;

    std::vector<std::string> FWindowCaptions;
    bool FShellAccepts = true;
    bool FExitWindowsAccepts = true;
    bool FCommandsRunOutOfMemory = false;
    std::string FFailureMessage = "The system cannot find the file specified.";
    std::vector<TExitWindowsAction> FExitRequests;
    std::vector<TShellRequest> FShellRequests;
    mutable std::mutex FCommandsMutex;  // commands run on worker threads
    std::vector<std::string> FCommands;
};

}  // namespace zorv
