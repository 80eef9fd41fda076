#pragma once
#include <gio/gio.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "backends/gtk/GLibOwned.h"
#include "runtime/FolderWatch.h"

namespace zorv {

// Watches a project folder while its author runs it: any change under the application folder
// (files and folders made, changed, removed or renamed, in folders made later too) and any
// change of the settings file are gathered for a quiet spell of DebounceMs, then reported once:
// OnSettingsChanged when the settings file changed among them, else OnPagesChanged.
class TFolderWatcher final : public IFolderWatch {
public:
    static constexpr guint DebounceMs = 150;
    // Folders watched at most; a larger tree is watched in part.
    static constexpr std::size_t MaxFolders = 4096;

    TFolderWatcher(const std::filesystem::path& appFolder, const std::filesystem::path& settingsFile);
    ~TFolderWatcher() override;
    TFolderWatcher(const TFolderWatcher&) = delete;
    TFolderWatcher& operator=(const TFolderWatcher&) = delete;

    std::function<void()> OnPagesChanged;
    std::function<void()> OnSettingsChanged;

private:
    void WatchTree(const std::filesystem::path& folder);
    void Watch(GFileMonitor* monitor);
    void Changed(GFile* file, GFile* otherFile, GFileMonitorEvent event);
    static void HandleChanged(GFileMonitor*, GFile* file, GFile*, GFileMonitorEvent event, gpointer self);
    static gboolean HandleQuiet(gpointer self);

    std::vector<TGObjectOwned<GFileMonitor>> FMonitors;
    TGObjectOwned<GFile> FSettingsFile;
    std::size_t FFolders = 0;
    guint FTimer = 0;
    bool FSettingsChanged = false;
};

}  // namespace zorv
