#pragma once
#include "backends/win32/SysUtils.h"
#include "platform/OperatingSystem.h"

namespace zorv {

// IOperatingSystem over TSysUtils: UTF-8 outside, UTF-16 inside. A failed call carries the
// system's message for the error it left.
class TWinOperatingSystem final : public IOperatingSystem {
public:
    TStatus ExitWindows(TExitWindowsAction action) override;
    std::vector<std::string> GetWindowsCaptions() override;
    std::string GetDosOutput(const std::string& commandLine, const std::string& workingDir, bool showWindow) override;
    TStatus ShellExec(const std::string& filePath, const std::string& arguments) override;
    TStatus ShellExplore(const std::string& filePath) override;
    TStatus DeleteDirectory(const std::string& dirPath) override;
    std::string GetUserDesktopDirPath() override;
    std::string GetUserDocumentsDirPath() override;
    std::string GetUserAppDataDirPath() override;
    std::string GetLocalAppDataDirPath() override;
    std::string GetTempDirPath() override;

private:
    static TStatus Outcome(bool succeeded);
};

}  // namespace zorv
