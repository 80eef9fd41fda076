#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/UiThread.h"
#include "runtime/FolderWatch.h"
#include "shared/LifetimeToken.h"
#include "shared/Win32Handles.h"

namespace zorv {

// Watches a project folder while its author runs it (ReadDirectoryChangesW on a thread of its
// own): the application folder with everything under it, and the project folder itself for
// zorv.ini. Changes are gathered until DebounceMs pass without another, then reported once on the
// UI thread: OnSettingsChanged when zorv.ini changed among them, else OnPagesChanged.
// The application folder has a watch of its own because Wine reports nothing from the folders
// that already exist under a watched folder; there, files in folders deeper than the application
// folder that existed at the start are not seen.
// A file system that cannot report changes (a network share, \\wsl$) refuses the first read:
// that folder is then compared with a listing of it (names, sizes, write times) every PollMs,
// which the failure sink is told once.
class TWinFolderWatcher final : public IFolderWatch {
public:
    static constexpr DWORD DebounceMs = 150;
    static constexpr DWORD PollMs = 1000;
    // A polled folder's listing stops at this many entries; changes beyond them are not seen.
    static constexpr std::size_t MaxPolledEntries = 20000;

    // ReadDirectoryChangesW's contract (overlapped, no completion routine): TRUE, or FALSE with
    // the thread's last error set. Tests put in one that refuses as a network share does.
    using TReadChanges = std::function<BOOL(HANDLE folder, void* buffer, DWORD bytes, BOOL subtree, DWORD filter,
                                            OVERLAPPED* overlapped)>;

    // `appDirName` is the application folder's path inside `projectFolder` ("/" or "\" steps).
    TWinFolderWatcher(const std::wstring& projectFolder, const std::wstring& appDirName, IUiThread& uiThread,
                      std::function<void()> onPagesChanged, std::function<void()> onSettingsChanged,
                      TReadChanges readChanges = {});
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
    // What a polled folder held: relative name -> size and last write time.
    using TListing = std::map<std::wstring, std::pair<uint64_t, uint64_t>>;
    // One watched folder and its read, pending while the watcher runs; or, where the file system
    // cannot report changes, its last listing.
    struct TWatch {
        TRole role;
        std::wstring path;
        TFileHandle folder;
        TKernelHandle done;
        OVERLAPPED overlapped{};
        std::vector<DWORD> buffer = std::vector<DWORD>(16 * 1024);  // DWORD-aligned, as the records must be
        bool polled = false;
        TListing listing;
    };
    // What changed since the last report.
    struct TBurst {
        bool pages = false;
        bool settings = false;
        bool Any() const { return pages || settings; }
    };

    void AddWatch(const std::wstring& folder, TRole role);
    void Watch();
    bool StartRead(TWatch& watch);
    static TListing List(const TWatch& watch);
    // Marks in `burst` what changed in a polled folder since its last listing; true when anything did.
    static bool Poll(TWatch& watch, TBurst& burst);
    // Marks in `burst` what the records of a completed read name; no record means an overflow.
    static void Gather(const TWatch& watch, DWORD bytes, TBurst& burst);
    void Report(const TBurst& burst);

    TReadChanges FReadChanges;
    std::vector<std::unique_ptr<TWatch>> FWatches;
    TKernelHandle FStop;
    IUiThread& FUiThread;
    std::function<void()> FOnPagesChanged;
    std::function<void()> FOnSettingsChanged;
    // Expired when the watcher goes, so that a report still queued does nothing.
    TLifetimeToken FLifetime;
    std::thread FThread;
};

}  // namespace zorv
