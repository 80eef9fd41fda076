#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "backends/win32/EdgeBrowser.h"
#include "runtime/AppSession.h"
#include "shared/LifetimeToken.h"

namespace zorv {

class TWinThemeEngine;
class TWinUiThread;

// Main windows drawn in the active theme, and watchers of a project folder, for the session.
class TWinWindowFactory final : public IWindowFactory {
public:
    // Borrowed, they outlive the factory. `environmentFactory` stands in for WebView2's own. Every
    // window the factory makes shares the one environment it creates.
    TWinWindowFactory(TWinUiThread& uiThread, TWinThemeEngine* themeEngine,
                      TEdgeBrowser::TEnvironmentFactory environmentFactory = {});

    // The main window while it exists (the menu bar and dialogs belong to it).
    HWND CurrentWindow() const;

    std::unique_ptr<ISessionWindow> MakeWindow(const TWindowSettings& settings,
                                               TBrowserExternalModule& bridge) override;
    std::unique_ptr<IFolderWatch> WatchFolder(const std::string& projectFolder, const std::string& appDirName,
                                              std::function<void()> onPagesChanged,
                                              std::function<void()> onSettingsChanged) override;
    // A message box, as an error that escapes start-up shows one.
    void ShowEndingError(const std::string& text) override;

private:
    TWinUiThread& FUiThread;
    TWinThemeEngine* FThemeEngine;
    TEdgeBrowser::TEnvironmentFactory FEnvironmentFactory;
    HWND FCurrent = nullptr;
    TLifetimeToken::TWatch FCurrentAlive;
};

}  // namespace zorv
