// The Linux runtime's entry: start-up, the main window and the GTK main loop.
#include <gtk/gtk.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "backends/gtk/BrowserForm.h"
#include "backends/gtk/FolderWatcher.h"
#include "backends/gtk/GlibUiThread.h"
#include "backends/gtk/GtkDialogs.h"
#include "backends/gtk/GtkMenuBar.h"
#include "backends/gtk/GtkOperatingSystem.h"
#include "backends/gtk/GtkStartupHost.h"
#include "backends/gtk/GtkThemeEngine.h"
#include "backends/gtk/MainForm.h"
#include "backends/gtk/MessageDialog.h"
#include "backends/gtk/PasswordDialog.h"
#include "bridge/ZorvExternalJavascript.h"
#include "runtime/ExeZipLoader.h"
#include "runtime/Runtime.h"
#include "shared/Utf8Path.h"
#include "shared/ExeUtils.h"
#include "shared/MimeTypes.h"
#include "shared/StylesUtils.h"

namespace zorv {

namespace {

std::vector<std::string> ArgumentsOf(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

// A project folder being run stands for the executable's folder: relative paths of the page
// name files of the project.
TBridgeContext BridgeContext(const TRuntimeState& state) {
    const std::vector<std::string>& args = state.args;
    TBridgeContext context;
    context.exePath = TExeUtils::RunningExePath();
    context.appDir =
        (state.ServesFolder() ? state.projectFolder : PathToUtf8(Utf8Path(context.exePath).parent_path())) + "/";
    context.commandLine.push_back(context.exePath);
    context.commandLine.insert(context.commandLine.end(), args.begin(), args.end());
    return context;
}

void ShowThemeError(const std::string& message) {
    TMessageDialog().LocalizedMessageDlg(message, TDialogKind::Error, {TMsgDlgBtn::Close}, {}, "Error");
}

}  // namespace

int RunRuntime(int argc, char** argv) {
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "zorv: cannot open the display\n");
        return 1;
    }
    const std::vector<std::string> args = ArgumentsOf(argc, argv);
    // The system's own list of types overrides and extends the built-in one.
    TMimeTypes::InstallPlatformMappings(TMimeTypes::ReadMimeTypesFile("/etc/mime.types"));
    auto operatingSystem = std::make_shared<TGtkOperatingSystem>();
    TGtkThemeEngine themeEngine;
    TStylesUtils styles(themeEngine, ShowThemeError);

    TGtkStartupHost host(*operatingSystem);
    host.OnApplyTheme = [&styles](const std::string& name) {
        styles.TrySetStyle(name, TStylesUtils::TUnknownName::ShowError);
    };
    host.OnAskPassword = [](const std::string& caption, const std::string& password) {
        return TPasswordDialog(caption, password).ShowModal() == TPasswordDialog::ResultAccepted;
    };
    TExeZipLoader loader(host, args);
    if (std::optional<int> exitCode = loader.Run()) return *exitCode;

    TGtkMenuBar menuBar;
    GtkWindow* mainWindow = nullptr;
    TGtkDialogs dialogs([&mainWindow] { return mainWindow; });
    TBridgeServices services;
    services.dialogs = &dialogs;
    services.menuBar = &menuBar;
    services.stylesUtils = &styles;
    services.operatingSystem = operatingSystem;
    services.uiThread = std::make_shared<TGlibUiThread>();
    // Serving a project folder, a change of its zorv.ini makes the window again with the new
    // settings; a change of its pages reloads the page.
    for (;;) {
        const TRuntimeState& state = loader.State();
        bool restart = false;
        TMainForm mainForm(state, services, BridgeContext(state), menuBar.Widget(),
                           std::string(ZorvExternalJavascript()));
        std::unique_ptr<TFolderWatcher> watcher;
        if (state.ServesFolder() && state.reloadOnChange) {
            const std::filesystem::path project = Utf8Path(state.projectFolder);
            watcher = std::make_unique<TFolderWatcher>(project / Utf8Path(state.appDirName), project / "zorv.ini");
            watcher->OnPagesChanged = [&mainForm] { mainForm.BrowserForm().WebKitBrowser().Reload(); };
            watcher->OnSettingsChanged = [&mainForm, &restart] {
                restart = true;
                mainForm.CloseForRestart();
            };
        }
        mainWindow = mainForm.Window();
        mainForm.Show();
        gtk_main();
        mainWindow = nullptr;
        watcher.reset();
        if (!restart) break;
        if (!loader.ReloadSettings()) {
            std::fprintf(stderr, "zorv: zorv.ini no longer gives ID, Name and DirName; the application ends\n");
            return 1;
        }
        // The theme is one of the settings the window is made again with.
        styles.TrySetStyle(loader.State().settings.theme, TStylesUtils::TUnknownName::ShowError);
    }
    return 0;
}

}  // namespace zorv
