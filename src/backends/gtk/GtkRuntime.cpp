// The Linux runtime's entry: start-up, the main window and the GTK main loop.
#include <gtk/gtk.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "backends/gtk/FolderWatcher.h"
#include "backends/gtk/GlibUiThread.h"
#include "backends/gtk/GtkDialogs.h"
#include "backends/gtk/GtkMenuBar.h"
#include "backends/gtk/GtkOperatingSystem.h"
#include "backends/gtk/GtkStartupHost.h"
#include "backends/gtk/GtkThemeEngine.h"
#include "backends/gtk/MainForm.h"
#include "backends/gtk/MessageDialog.h"
#include "runtime/AppSession.h"
#include "runtime/Runtime.h"
#include "shared/LifetimeToken.h"
#include "shared/MimeTypes.h"
#include "bridge/ActiveTheme.h"
#include "shared/StylesUtils.h"
#include "shared/Utf8Path.h"

namespace zorv {

namespace {

std::vector<std::string> ArgumentsOf(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

void ShowThemeError(const std::string& message) {
    TMessageDialog().LocalizedMessageDlg(message, TDialogKind::Error, {TMsgDlgBtn::Close}, {}, "Error");
}

// Main windows with the menu bar above the page, each quitting the GTK main loop as it closes.
class TGtkWindowFactory final : public IWindowFactory {
public:
    explicit TGtkWindowFactory(GtkWidget* menuBar) : FMenuBar(menuBar) {}

    // Web site data lives in the data folder start-up prepared.
    void SetDataDir(std::string dataDir) { FDataDir = std::move(dataDir); }
    // The window dialogs belong to: the main window while it exists.
    GtkWindow* CurrentWindow() const { return FCurrentAlive.Expired() ? nullptr : FCurrent; }

    std::unique_ptr<ISessionWindow> MakeWindow(const TWindowSettings& settings,
                                               TBrowserExternalModule& bridge) override {
        auto form = std::make_unique<TMainForm>(settings, bridge, FDataDir, FMenuBar);
        FCurrent = form->Window();
        FCurrentAlive = form->Lifetime().Watch();
        return form;
    }
    std::unique_ptr<IFolderWatch> WatchFolder(const std::string& projectFolder, const std::string& appDirName,
                                              std::function<void()> onPagesChanged,
                                              std::function<void()> onSettingsChanged) override {
        const std::filesystem::path project = Utf8Path(projectFolder);
        auto watcher = std::make_unique<TFolderWatcher>(project / Utf8Path(appDirName), project / "zorv.ini");
        watcher->OnPagesChanged = std::move(onPagesChanged);
        watcher->OnSettingsChanged = std::move(onSettingsChanged);
        return watcher;
    }
    void ShowEndingError(const std::string& text) override { std::fprintf(stderr, "zorv: %s\n", text.c_str()); }

private:
    GtkWidget* FMenuBar;
    std::string FDataDir;
    GtkWindow* FCurrent = nullptr;
    TLifetimeToken::TWatch FCurrentAlive;
};

}  // namespace

int RunRuntime(int argc, char** argv) {
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "zorv: cannot open the display\n");
        return 1;
    }
    // The system's own list of types overrides and extends the built-in one.
    TMimeTypes::InstallPlatformMappings(TMimeTypes::ReadMimeTypesFile("/etc/mime.types"));
    auto operatingSystem = std::make_shared<TGtkOperatingSystem>();
    TGtkThemeEngine themeEngine;
    TActiveTheme styles(themeEngine, ShowThemeError);
    TGtkMenuBar menuBar;
    TGtkWindowFactory factory(menuBar.Widget());
    TGtkDialogs dialogs([&factory] { return factory.CurrentWindow(); });
    TBridgeServices services;
    services.dialogs = &dialogs;
    services.menuBar = &menuBar;
    services.activeTheme = &styles;
    services.operatingSystem = operatingSystem;
    services.uiThread = std::make_shared<TGlibUiThread>();

    TGtkStartupHost host(*operatingSystem);
    TAppSession session(host, ArgumentsOf(argc, argv), services);
    if (std::optional<int> exitCode = session.Start()) return *exitCode;
    factory.SetDataDir(session.State().appDataDir);
    return session.Run(factory);
}

}  // namespace zorv
