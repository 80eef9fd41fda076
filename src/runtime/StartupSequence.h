#pragma once
#include <optional>
#include <string>
#include <vector>

#include "runtime/RuntimeState.h"
#include "runtime/StartupHost.h"

namespace zorv {

class TActiveTheme;

// The start-up sequence up to the main window: open the archive appended to the executable, read
// the settings and the identity, apply the theme, prepare the data folder, ask for the password
// and settle the single-instance rule. Each step either goes on or gives the exit code the process
// ends with; nothing here ends the process itself.
class TStartupSequence {
public:
    // Messages of the localized table used here.
    static constexpr TStartupMessage NothingAppended{5, 1, 3};
    // Shown, followed by the reason, when the appended archive or its settings cannot be read.
    static constexpr const char* DamagedPackageText = "The application file is damaged and cannot be started. ";

    // The start-up theme is applied through `styles` (borrowed; none: no theme is applied).
    TStartupSequence(IStartupHost& host, std::vector<std::string> args, TActiveTheme* styles = nullptr);

    // Every step in its order. Nothing when the main window is to be created.
    std::optional<int> Run();
    // The steps one by one, as Run calls them.
    std::optional<int> PrepareRuntime();
    // The password and the single-instance rule.
    std::optional<int> SettleInstances();

    TRuntimeState& State() { return FState; }
    const TRuntimeState& State() const { return FState; }
    // Reads the settings again (a project folder whose zorv.ini changed); false when the identity
    // is no longer complete.
    bool ReloadSettings();

    // The option of the bare runtime that serves a project folder instead of an appended
    // archive: "--project DIR [--no-reload] [--] ARGS...". A packaged file never takes it.
    static constexpr const char* ProjectOption = "--project";
    static constexpr const char* NoReloadOption = "--no-reload";
    struct TFolderOption {
        std::string folder;
        bool reload = true;
        std::vector<std::string> appArgs;  // what follows the options, for the application
    };
    static std::optional<TFolderOption> ParseFolderOption(const std::vector<std::string>& args);
    // The options that start the bare runtime again on the state's project folder as this one was
    // started (reload or not), ending with "--": what ParseFolderOption reads back.
    static std::vector<std::string> FolderOptions(const TRuntimeState& state);

    // The identifier made safe as one folder or lock-file name: path delimiters, characters
    // Windows refuses in file names and control characters become "_"; a name made only of dots
    // and blanks (which Windows would read as this folder or its parent) becomes "_"; a DOS device
    // name (CON, NUL, COM1 ..., with or without an extension) gets a "_" after its stem.
    static std::string SafeFolderName(const std::string& appID);
    // The data folder's path under the local application-data folder, without a trailing
    // delimiter. An identifier such as "Company\App" or "Company/App" keeps its nested folders;
    // each part is made safe as a name. One that would reach outside (a "." or ".." part, a rooted
    // or drive path) is made one flat safe name instead.
    static std::string DataFolderName(const std::string& appID);

private:
    std::optional<int> OpenArchive();
    std::optional<int> OpenFolder(TFolderOption option);
    std::optional<int> LoadProjectIni();
    bool ReadIdentity();
    void ApplyTheme();
    void PrepareDataFolder();
    std::optional<int> AskPasswordWhenSet();
    // True when another instance holds the lock; otherwise this one holds it now.
    bool TakeInstanceLock();

    IStartupHost& FHost;
    TActiveTheme* FStyles;
    TRuntimeState FState;
};

}  // namespace zorv
