#include "backends/gtk/FolderWatcher.h"

#include <system_error>

namespace zorv {

namespace fs = std::filesystem;

TFolderWatcher::TFolderWatcher(const fs::path& appFolder, const fs::path& settingsFile)
    : FSettingsFile(g_file_new_for_path(settingsFile.c_str())) {
    WatchTree(appFolder);
    Watch(g_file_monitor_file(FSettingsFile.get(), G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr));
}

TFolderWatcher::~TFolderWatcher() {
    if (FTimer) g_source_remove(FTimer);
    for (const TGObjectOwned<GFileMonitor>& monitor : FMonitors) {
        g_signal_handlers_disconnect_by_data(monitor.get(), this);
        g_file_monitor_cancel(monitor.get());
    }
}

void TFolderWatcher::Watch(GFileMonitor* monitor) {
    if (!monitor) return;
    g_signal_connect(monitor, "changed", G_CALLBACK(HandleChanged), this);
    FMonitors.emplace_back(monitor);
}

// Each folder has a monitor of its own: a GLib directory monitor sees only its direct children.
void TFolderWatcher::WatchTree(const fs::path& folder) {
    if (FFolders >= MaxFolders) return;
    ++FFolders;
    const TGObjectOwned<GFile> file(g_file_new_for_path(folder.c_str()));
    Watch(g_file_monitor_directory(file.get(), G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr));
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error)) WatchTree(it->path());
    }
}

// A file saved by renaming a new one over it (as many editors save) is reported as that rename,
// with the settings file as the other file.
void TFolderWatcher::Changed(GFile* file, GFile* otherFile, GFileMonitorEvent event) {
    if (event == G_FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED) return;
    for (GFile* named : {file, otherFile})
        if (named && g_file_equal(named, FSettingsFile.get())) FSettingsChanged = true;
    // A folder made after the start is watched from now on.
    if (file && (event == G_FILE_MONITOR_EVENT_CREATED || event == G_FILE_MONITOR_EVENT_MOVED_IN)) {
        const TGCharOwned path(g_file_get_path(file));
        std::error_code error;
        if (path && fs::is_directory(path.get(), error) && !fs::is_symlink(path.get(), error)) WatchTree(path.get());
    }
    if (FTimer) g_source_remove(FTimer);
    FTimer = g_timeout_add(DebounceMs, HandleQuiet, this);
}

void TFolderWatcher::HandleChanged(GFileMonitor*, GFile* file, GFile* otherFile, GFileMonitorEvent event,
                                   gpointer self) {
    static_cast<TFolderWatcher*>(self)->Changed(file, otherFile, event);
}

gboolean TFolderWatcher::HandleQuiet(gpointer self) {
    auto* watcher = static_cast<TFolderWatcher*>(self);
    watcher->FTimer = 0;
    const bool settings = watcher->FSettingsChanged;
    watcher->FSettingsChanged = false;
    if (settings && watcher->OnSettingsChanged)
        watcher->OnSettingsChanged();
    else if (!settings && watcher->OnPagesChanged)
        watcher->OnPagesChanged();
    return G_SOURCE_REMOVE;
}

}  // namespace zorv
