#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "backends/win32/WinHandles.h"
#include "platform/UiThread.h"
#include "runtime/FolderWatch.h"

namespace zorv {

// Watches a project folder while its author runs it (ReadDirectoryChangesW on a thread of its
// own): the application folder with everything under it, and the project folder itself for
// zorv.ini. Changes are gathered until DebounceMs pass without another, then reported once on the
// UI thread: OnSettingsChanged when zorv.ini changed among them, else OnPagesChanged.
// The application folder has a watch of its own because Wine reports nothing from the folders
// that already exist under a watched folder; there, files in folders deeper than the application
// folder that existed at the start are not seen.
class TWinFolderWatcher final : public IFolderWatch {
public:
    static constexpr DWORD DebounceMs = 150;

    // `appDirName` is the application folder's path inside `projectFolder` ("/" or "\" steps).
    TWinFolderWatcher(const std::wstring& projectFolder, const std::wstring& appDirName, IUiThread& uiThread,
                      std::function<void()> onPagesChanged, std::function<void()> onSettingsChanged);
    ~TWinFolderWatcher() override;
    TWinFolderWatcher(const TWinFolderWatcher&) = delete;
    TWinFolderWatcher& operator=(const TWinFolderWatcher&) = delete;

    // What a watched folder stands for: the application folder, the project folder (only its
    // zorv.ini matters), or both when the application lives in the project folder itself.
    enum class TRole { App, Project, AppAndProject };
    enum class TChange { None, Pages, Settings };
    // What a change of `name` (relative to a folder of that role) means.
    static TChange Classify(const std::wstring& name, TRole role);

private:
    // One watched folder and its read, pending while the watcher runs.
    struct TWatch {
        TRole role;
        TFileHandle folder;
        TKernelHandle done;
        OVERLAPPED overlapped{};
        std::vector<DWORD> buffer = std::vector<DWORD>(16 * 1024);  // DWORD-aligned, as the records must be
    };
    // What changed since the last report.
    struct TBurst {
        bool pages = false;
        bool settings = false;
        bool Any() const { return pages || settings; }
    };

    void AddWatch(const std::wstring& folder, TRole role);
    void Watch();
    static bool StartRead(TWatch& watch);
    // Marks in `burst` what the records of a completed read name; no record means an overflow.
    static void Gather(const TWatch& watch, DWORD bytes, TBurst& burst);
    void Report(const TBurst& burst);

    std::vector<std::unique_ptr<TWatch>> FWatches;
    TKernelHandle FStop;
    IUiThread& FUiThread;
    std::function<void()> FOnPagesChanged;
    std::function<void()> FOnSettingsChanged;
    // Expired when the watcher goes, so that a report still queued does nothing.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    std::thread FThread;
};

}  // namespace zorv
