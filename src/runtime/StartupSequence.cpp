#include "runtime/StartupSequence.h"

#include <filesystem>
#include <system_error>

#include "bridge/ActiveTheme.h"
#include "runtime/AppCommandLine.h"
#include "runtime/FolderPackage.h"
#include "shared/DosDeviceNames.h"
#include "shared/FileSystem.h"
#include "shared/StylesUtils.h"
#include "shared/Utf8Path.h"

namespace zorv {

TStartupSequence::TStartupSequence(IStartupHost& host, std::vector<std::string> args, TActiveTheme* styles)
    : FHost(host), FStyles(styles) {
    FState.args = std::move(args);
}

std::optional<int> TStartupSequence::Run() {
    if (auto exitCode = PrepareRuntime()) return exitCode;
    return SettleInstances();
}

std::optional<int> TStartupSequence::PrepareRuntime() {
    if (auto exitCode = OpenArchive()) return exitCode;
    if (auto exitCode = LoadProjectIni()) return exitCode;
    if (!ReadIdentity()) return 0;
    ApplyTheme();
    PrepareDataFolder();
    return FHost.PrepareWebEngine(FState);
}

std::optional<TStartupSequence::TFolderOption> TStartupSequence::ParseFolderOption(
    const std::vector<std::string>& args) {
    if (args.size() < 2 || args[0] != ProjectOption || args[1].empty()) return std::nullopt;
    TFolderOption option;
    option.folder = args[1];
    std::size_t next = 2;
    if (next < args.size() && args[next] == NoReloadOption) {
        option.reload = false;
        ++next;
    }
    if (next < args.size() && args[next] == "--") ++next;
    option.appArgs.assign(args.begin() + static_cast<std::ptrdiff_t>(next), args.end());
    return option;
}

std::vector<std::string> TStartupSequence::FolderOptions(const TRuntimeState& state) {
    std::vector<std::string> options{ProjectOption, state.projectFolder};
    if (!state.reloadOnChange) options.emplace_back(NoReloadOption);
    options.emplace_back("--");
    return options;
}

// Only the bare runtime serves a folder: a packaged file's arguments all belong to its
// application, the folder option included.
std::optional<int> TStartupSequence::OpenArchive() {
    TResult<std::unique_ptr<IByteSource>> opened = FHost.OpenAppendedArchive();
    if (!opened) {
        FHost.ShowFatalError("Application Error", std::string(DamagedPackageText) + opened.Error());
        return 1;
    }
    std::unique_ptr<IByteSource> appended = std::move(opened).Value();
    if (!appended) {
        if (std::optional<TFolderOption> option = ParseFolderOption(FState.args)) return OpenFolder(*option);
        FHost.ShowStartupMessage(NothingAppended);
        return 0;
    }
    auto archive = std::make_unique<TAbZipKit>();
    try {
        archive->SetPassword(ZORV_ARCHIVE_PASSWORD);
        archive->LoadFromSource(std::move(appended));
    } catch (const std::exception& error) {
        FHost.ShowFatalError("Application Error", std::string(DamagedPackageText) + error.what());
        return 1;
    }
    FState.package = std::make_unique<TArchivePackage>(std::move(archive));
    return std::nullopt;
}

std::optional<int> TStartupSequence::OpenFolder(TFolderOption option) {
    if (!TFileSystem::IsFolder(Utf8Path(option.folder))) {
        FHost.ShowFatalError("Application Error", "No project folder at \"" + option.folder + "\"");
        return 1;
    }
    auto folder = std::make_unique<TFolderPackage>(Utf8Path(option.folder));
    FState.projectFolder = PathToUtf8(folder->Folder());
    FState.package = std::move(folder);
    FState.reloadOnChange = option.reload;
    FState.args = std::move(option.appArgs);
    return std::nullopt;
}

// Settings that cannot be read mean a damaged file, not an application without an identity: the
// user is told, and the process ends with a failure code. An archive without "zorv.ini" reads as
// empty settings.
std::optional<int> TStartupSequence::LoadProjectIni() {
    std::string text;
    const TAbExtractStatus status = FState.package->TryExtract("zorv.ini", text);
    if (status != TAbExtractStatus::Ok && status != TAbExtractStatus::NotFound) {
        FHost.ShowFatalError("Application Error",
                             std::string(DamagedPackageText) + "zorv.ini: " + TAbZipKit::StatusMessage(status));
        return 1;
    }
    FState.projectIni.SetText(text);
    return std::nullopt;
}

bool TStartupSequence::ReloadSettings() { return !LoadProjectIni() && ReadIdentity(); }

bool TStartupSequence::ReadIdentity() {
    TProjectSettings& settings = FState.settings = TProjectSettings::Read(FState.projectIni);
    // An author running the project folder has the developer tools.
    if (FState.ServesFolder()) settings.allowDebug = true;
    FState.appID = settings.id;
    FState.appName = settings.name;
    FState.appDirName = settings.dirName;
    FState.appIndexHtml = settings.indexHtml;
    return settings.HasIdentity();
}

void TStartupSequence::ApplyTheme() {
    if (FStyles && FState.settings.theme != TStylesUtils::SystemTheme)
        FStyles->TrySetStyle(FState.settings.theme, TActiveTheme::TUnknownName::ShowError);
}

void TStartupSequence::PrepareDataFolder() {
    std::string dir = FHost.LocalAppDataDir() + DataFolderName(FState.appID);
    dir += static_cast<char>(std::filesystem::path::preferred_separator);
    FState.appDataDir = dir;
    // A folder that cannot be made is not reported here; the functions that write there report it.
    TFileSystem::CreateFolders(Utf8Path(dir));
}

std::optional<int> TStartupSequence::AskPasswordWhenSet() {
    if (!FState.settings.HasPassword()) return std::nullopt;
    if (!FHost.AskPassword(FState.appName, FState.settings.password)) return 0;
    return std::nullopt;
}

bool TStartupSequence::TakeInstanceLock() {
    TInstanceLockResult result = FHost.AcquireInstanceLock(FState.appID, FState.appDataDir);
    FState.instanceLock = std::move(result.lock);
    return result.otherInstanceRunning;
}

// A relaunch (identifier, URL) comes from a running instance, whose password was typed: it goes
// on beside it without asking. With no instance running it is an ordinary start that holds the
// lock. Every instance takes the lock when it is free, so that a running one can be told, even
// where several may run.
std::optional<int> TStartupSequence::SettleInstances() {
    if (TAppCommandLine::IsRelaunch(FState.args, FState.appID)) {
        if (TakeInstanceLock()) return std::nullopt;
        return AskPasswordWhenSet();
    }
    if (auto exitCode = AskPasswordWhenSet()) return exitCode;
    const bool otherInstanceRunning = TakeInstanceLock();
    if (otherInstanceRunning && !FState.settings.allowInstances) return 0;
    return std::nullopt;
}

namespace {
bool IsDelimiter(char c) { return c == '\\' || c == '/'; }

// "." and ".." and, since Windows drops trailing dots and blanks from names, "..." or ". .".
bool OnlyDotsAndBlanks(std::string_view name) { return name.find_first_not_of(". ") == std::string_view::npos; }

// A "_" after a device name's stem ("CON" -> "CON_", "nul.app" -> "nul_.app") makes it a name
// the file system can create.
void AvoidDosDeviceName(std::string& name) {
    if (const std::optional<std::size_t> stemEnd = DosDeviceStemEnd(name)) name.insert(*stemEnd, 1, '_');
}
}  // namespace

std::string TStartupSequence::DataFolderName(const std::string& appID) {
    const bool rooted = !appID.empty() && IsDelimiter(appID.front());
    const bool drive = appID.size() > 1 && appID[1] == ':';
    if (rooted || drive) return SafeFolderName(appID);
    std::string path;
    std::size_t start = 0;
    while (start <= appID.size()) {
        std::size_t end = start;
        while (end < appID.size() && !IsDelimiter(appID[end])) ++end;
        const std::string_view part = std::string_view(appID).substr(start, end - start);
        if (!part.empty()) {
            if (OnlyDotsAndBlanks(part)) return SafeFolderName(appID);
            if (!path.empty()) path += static_cast<char>(std::filesystem::path::preferred_separator);
            path += SafeFolderName(std::string(part));
        }
        start = end + 1;
    }
    return path.empty() ? SafeFolderName(appID) : path;
}

std::string TStartupSequence::SafeFolderName(const std::string& appID) {
    if (OnlyDotsAndBlanks(appID)) return "_";
    std::string name = appID;
    for (char& c : name) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) c = '_';
    }
    AvoidDosDeviceName(name);
    return name;
}

}  // namespace zorv
