#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "backends/win32/WinHandles.h"
#include "platform/UiThread.h"

namespace zorv {

// Watches a project folder while its author runs it (ReadDirectoryChangesW over the whole tree,
// on a thread of its own): changes under the application folder and of the settings file are
// gathered until DebounceMs pass without another, then reported once on the UI thread:
// OnSettingsChanged when zorv.ini changed among them, else OnPagesChanged.
class TWinFolderWatcher {
public:
    static constexpr DWORD DebounceMs = 150;

    // `appDirName` is the application folder's name inside `projectFolder` ("/" or "\" steps).
    TWinFolderWatcher(const std::wstring& projectFolder, const std::wstring& appDirName, IUiThread& uiThread,
                      std::function<void()> onPagesChanged, std::function<void()> onSettingsChanged);
    ~TWinFolderWatcher();
    TWinFolderWatcher(const TWinFolderWatcher&) = delete;
    TWinFolderWatcher& operator=(const TWinFolderWatcher&) = delete;

    // Whether a changed name (relative to the project folder) matters, and whether it is the settings.
    enum class TChange { None, Pages, Settings };
    static TChange Classify(const std::wstring& name, const std::wstring& appDirName);

private:
    void Watch();

    TFileHandle FFolder;
    TKernelHandle FStop;
    std::wstring FAppDirName;
    IUiThread& FUiThread;
    std::function<void()> FOnPagesChanged;
    std::function<void()> FOnSettingsChanged;
    // Expired when the watcher goes, so that a report still queued does nothing.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    std::thread FThread;
};

}  // namespace zorv
