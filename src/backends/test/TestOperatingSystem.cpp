#include "backends/test/TestOperatingSystem.h"

#include "shared/Utf8Path.h"

#include <cstdlib>
#include <filesystem>
#include <new>
#include <system_error>

#ifndef _WIN32
#include "shared/PosixCommand.h"
#endif

namespace zorv {
namespace {

namespace fs = std::filesystem;

std::string WithTrailingDelimiter(std::string path) {
    const char delimiter = static_cast<char>(fs::path::preferred_separator);
    if (path.empty() || path.back() != delimiter) path += delimiter;
    return path;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder() {
#ifdef _WIN32
    return Environment("USERPROFILE");
#else
    return Environment("HOME");
#endif
}

}  // namespace

TStatus TTestOperatingSystem::Refuse() const { return Failure(FFailureMessage); }

TStatus TTestOperatingSystem::ExitWindows(TExitWindowsAction action) {
    FExitRequests.push_back(action);
    return FExitWindowsAccepts ? Succeeded() : Refuse();
}

std::string TTestOperatingSystem::GetDosOutput(const std::string& commandLine, const std::string& workingDir,
                                               bool showWindow) {
    {
        const std::lock_guard lock(FCommandsMutex);
        FCommands.push_back((showWindow ? "1 " : "0 ") + commandLine);
    }
    if (FCommandsRunOutOfMemory) throw std::bad_alloc();
#ifdef _WIN32
    (void)workingDir;
    return {};
#else
    return TPosixCommand::Run(commandLine, workingDir);
#endif
}

std::vector<std::string> TTestOperatingSystem::Commands() const {
    const std::lock_guard lock(FCommandsMutex);
    return FCommands;
}

TStatus TTestOperatingSystem::ShellExec(const std::string& filePath, const std::string& arguments) {
    FShellRequests.push_back({"exec", filePath, arguments});
    return FShellAccepts ? Succeeded() : Refuse();
}

TStatus TTestOperatingSystem::ShellExplore(const std::string& filePath) {
    FShellRequests.push_back({"explore", filePath, {}});
    return FShellAccepts ? Succeeded() : Refuse();
}

TStatus TTestOperatingSystem::DeleteDirectory(const std::string& dirPath) {
    std::error_code error;
    const fs::path path = Utf8Path(dirPath);
    if (!fs::is_directory(path, error)) return Failure("Not a folder: " + dirPath);
    fs::remove_all(path, error);
    if (error) return Failure(error.message());
    return Succeeded();
}

std::string TTestOperatingSystem::GetUserDesktopDirPath() {
    return WithTrailingDelimiter((fs::path(HomeFolder()) / "Desktop").string());
}

std::string TTestOperatingSystem::GetUserDocumentsDirPath() {
    return WithTrailingDelimiter((fs::path(HomeFolder()) / "Documents").string());
}

std::string TTestOperatingSystem::GetUserAppDataDirPath() {
#ifdef _WIN32
    return WithTrailingDelimiter(Environment("APPDATA"));
#else
    const std::string config = Environment("XDG_CONFIG_HOME");
    return WithTrailingDelimiter(config.empty() ? (fs::path(HomeFolder()) / ".config").string() : config);
#endif
}

std::string TTestOperatingSystem::GetLocalAppDataDirPath() {
#ifdef _WIN32
    return WithTrailingDelimiter(Environment("LOCALAPPDATA"));
#else
    const std::string data = Environment("XDG_DATA_HOME");
    return WithTrailingDelimiter(data.empty() ? (fs::path(HomeFolder()) / ".local" / "share").string() : data);
#endif
}

std::string TTestOperatingSystem::GetTempDirPath() {
    std::error_code error;
    const fs::path temp = fs::temp_directory_path(error);
    return WithTrailingDelimiter(error ? std::string() : temp.string());
}

}  // namespace zorv
