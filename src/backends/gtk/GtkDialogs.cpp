#include "backends/gtk/GtkDialogs.h"

#include <gtk/gtk.h>

#include <filesystem>

#include "backends/gtk/GLibOwned.h"

namespace zorv {

namespace {

// Marks a flag for the lifetime of a dialog.
class TRunningFlag {
public:
    explicit TRunningFlag(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TRunningFlag() { FFlag = false; }
    TRunningFlag(const TRunningFlag&) = delete;
    TRunningFlag& operator=(const TRunningFlag&) = delete;

private:
    bool& FFlag;
};

GtkWindow* FindActiveTopLevel() {
    const TGListOwned windows(gtk_window_list_toplevels());
    GtkWindow* active = nullptr;
    for (GList* item = windows.get(); item != nullptr && active == nullptr; item = item->next) {
        GtkWindow* window = GTK_WINDOW(item->data);
        if (gtk_window_is_active(window)) active = window;
    }
    return active;
}

// The folder part of `fileName`, when it names a folder that exists, becomes the dialog's folder
// and the rest goes into the name box; otherwise the whole text goes into the name box.
void SetInitialFileName(GtkFileChooser* chooser, const std::string& fileName) {
    if (fileName.empty()) return;
    namespace fs = std::filesystem;
    const fs::path path(fileName);
    std::error_code ec;
    const bool hasFolder = path.has_parent_path() && fs::is_directory(path.parent_path(), ec);
    if (hasFolder) gtk_file_chooser_set_current_folder(chooser, fs::absolute(path.parent_path(), ec).c_str());
    gtk_file_chooser_set_current_name(chooser, hasFolder ? path.filename().c_str() : fileName.c_str());
}

}  // namespace

TGtkDialogs::TGtkDialogs(TActiveWindow activeWindow) : FActiveWindow(std::move(activeWindow)) {}

GtkWindow* TGtkDialogs::ActiveWindow() const { return FActiveWindow ? FActiveWindow() : FindActiveTopLevel(); }

std::string TGtkDialogs::CaseInsensitivePattern(const std::string& mask) {
    std::string pattern;
    for (char c : mask) {
        if (g_ascii_isalpha(c)) {
            pattern += '[';
            pattern += g_ascii_tolower(c);
            pattern += g_ascii_toupper(c);
            pattern += ']';
        } else {
            pattern += c;
        }
    }
    return pattern;
}

std::vector<std::string> TGtkDialogs::FilterPatterns(const std::string& mask) {
    std::vector<std::string> patterns{CaseInsensitivePattern(mask)};
    // A mask ending in ".*" also matches names without an extension, as on Windows, where "*.*"
    // lists every file.
    if (mask.ends_with(".*")) patterns.push_back(CaseInsensitivePattern(mask.substr(0, mask.size() - 2)));
    return patterns;
}

GtkFileFilter* TGtkDialogs::MakeFilter(const TFileType& fileType) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, fileType.displayName.c_str());
    for (const std::string& pattern : FilterPatterns(fileType.mask))
        gtk_file_filter_add_pattern(filter, pattern.c_str());
    return filter;
}

std::optional<std::string> TGtkDialogs::RunFileChooser(TFileDialogKind kind, const TFileDialogOptions& options) {
    const bool save = kind == TFileDialogKind::Save;
    bool& running = save ? FSaveDialogRunning : FOpenDialogRunning;
    if (running) return std::nullopt;
    TRunningFlag flag(running);

    // The open dialog is a chooser with a name box too (GTK's own open chooser accepts only files
    // that exist): the user may pick a file or type the name of one that does not exist yet.
    TGObjectOwned<GtkFileChooserNative> dialog(
        gtk_file_chooser_native_new(options.title.empty() ? nullptr : options.title.c_str(), ActiveWindow(),
                                    GTK_FILE_CHOOSER_ACTION_SAVE, save ? nullptr : "_Open", nullptr));
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog.get());
    gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(dialog.get()), TRUE);
    gtk_file_chooser_set_select_multiple(chooser, FALSE);
    for (const TFileType& fileType : options.fileTypes) gtk_file_chooser_add_filter(chooser, MakeFilter(fileType));
    SetInitialFileName(chooser, options.fileName);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, save && options.overwritePrompt);

    if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(dialog.get())) != GTK_RESPONSE_ACCEPT) return std::nullopt;
    TGCharOwned fileName(gtk_file_chooser_get_filename(chooser));
    if (!fileName) return std::nullopt;
    return std::string(fileName.get());
}

std::optional<std::string> TGtkDialogs::ShowOpenDialog(const TFileDialogOptions& options) {
    return RunFileChooser(TFileDialogKind::Open, options);
}

std::optional<std::string> TGtkDialogs::ShowSaveDialog(const TFileDialogOptions& options) {
    return RunFileChooser(TFileDialogKind::Save, options);
}

void TGtkDialogs::ShowMessage(const std::string& text) {
    GtkWindow* parent = ActiveWindow();
    TTopLevelOwned dialog(
        gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_INFO, GTK_BUTTONS_OK, "%s", text.c_str()));
    if (const char* name = g_get_application_name()) gtk_window_set_title(GTK_WINDOW(dialog.get()), name);
    gtk_window_set_position(GTK_WINDOW(dialog.get()),
                            parent != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    gtk_dialog_run(GTK_DIALOG(dialog.get()));
}

}  // namespace zorv
