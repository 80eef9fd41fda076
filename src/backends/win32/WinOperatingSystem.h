#pragma once
#include "backends/win32/SysUtils.h"
#include "platform/OperatingSystem.h"

namespace zorv {

// IOperatingSystem over TSysUtils: UTF-8 outside, UTF-16 inside. Remembers the error code of the
// last failed call so that LastErrorMessage describes it even after other calls in between.
class TWinOperatingSystem final : public IOperatingSystem {
public:
    bool ExitWindows(TExitWindowsAction action) override;
    std::vector<std::string> GetWindowsCaptions() override;
    std::string GetDosOutput(const std::string& commandLine, const std::string& workingDir, bool showWindow) override;
    bool ShellExec(const std::string& filePath, const std::string& arguments) override;
    bool ShellExplore(const std::string& filePath) override;
    bool DeleteDirectory(const std::string& dirPath) override;
    std::string GetUserDesktopDirPath() override;
    std::string GetUserDocumentsDirPath() override;
    std::string GetUserAppDataDirPath() override;
    std::string GetLocalAppDataDirPath() override;
    std::string GetTempDirPath() override;
    std::string LastErrorMessage() override;

private:
    bool RememberFailure(bool succeeded);
    DWORD FLastError = ERROR_SUCCESS;
};

}  // namespace zorv
