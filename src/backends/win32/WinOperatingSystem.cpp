#include "backends/win32/WinOperatingSystem.h"

#include "backends/win32/WinText.h"

namespace zorv {

TStatus TWinOperatingSystem::Outcome(bool succeeded) {
    if (succeeded) return Succeeded();
    return Failure(TWinText::WideToUtf8(TSysUtils::SysErrorMessage(GetLastError())));
}

// ZORV_TEST_NO_SESSION_END=1 (the end-to-end tests) answers a failure instead: under Wine,
// ExitWindowsEx ends every program of the prefix.
TStatus TWinOperatingSystem::ExitWindows(TExitWindowsAction action) {
    wchar_t disabled[2] = {};
    if (GetEnvironmentVariableW(L"ZORV_TEST_NO_SESSION_END", disabled, 2) == 1 && disabled[0] == L'1')
        return Failure("Ending the session is turned off (ZORV_TEST_NO_SESSION_END=1)");
    return Outcome(TSysUtils::ExitWindows(static_cast<uint32_t>(action)));
}

std::vector<std::string> TWinOperatingSystem::GetWindowsCaptions() {
    std::vector<std::string> captions;
    for (const auto& caption : TSysUtils::GetWindowsCaptions()) captions.push_back(TWinText::WideToUtf8(caption));
    return captions;
}

std::string TWinOperatingSystem::GetDosOutput(const std::string& commandLine, const std::string& workingDir,
                                              bool showWindow) {
    return TWinText::WideToUtf8(
        TSysUtils::GetDosOutput(TWinText::Utf8ToWide(commandLine), TWinText::Utf8ToWide(workingDir), showWindow));
}

TStatus TWinOperatingSystem::ShellExec(const std::string& filePath, const std::string& arguments) {
    return Outcome(TSysUtils::ShellExec(TWinText::Utf8ToWide(filePath), TWinText::Utf8ToWide(arguments)));
}

TStatus TWinOperatingSystem::ShellExplore(const std::string& filePath) {
    return Outcome(TSysUtils::ShellExplore(TWinText::Utf8ToWide(filePath)));
}

TStatus TWinOperatingSystem::DeleteDirectory(const std::string& dirPath) {
    return Outcome(TSysUtils::DeleteDirectory(TWinText::Utf8ToWide(dirPath)));
}

std::string TWinOperatingSystem::GetUserDesktopDirPath() {
    return TWinText::WideToUtf8(TSysUtils::GetUserDesktopDirPath());
}

std::string TWinOperatingSystem::GetUserDocumentsDirPath() {
    return TWinText::WideToUtf8(TSysUtils::GetUserDocumentsDirPath());
}

std::string TWinOperatingSystem::GetUserAppDataDirPath() {
    return TWinText::WideToUtf8(TSysUtils::GetUserAppDataDirPath());
}

std::string TWinOperatingSystem::GetLocalAppDataDirPath() {
    return TWinText::WideToUtf8(TSysUtils::GetLocalAppDataDirPath());
}

std::string TWinOperatingSystem::GetTempDirPath() { return TWinText::WideToUtf8(TSysUtils::GetTempDirPath()); }

}  // namespace zorv
