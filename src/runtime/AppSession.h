#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bridge/BrowserExternalModule.h"
#include "platform/MainWindow.h"
#include "runtime/FolderWatch.h"
#include "runtime/PageHost.h"
#include "runtime/StartupSequence.h"
#include "runtime/WindowSettings.h"

namespace zorv {

// One main window as a backend makes it: the window chrome and the page host inside it.
class ISessionWindow {
public:
    virtual ~ISessionWindow() = default;
    virtual IMainWindow& MainWindow() = 0;
    // The page host; null once the window has closed and freed it.
    virtual IPageHost* PageHost() = 0;
    // Whether the page on top is an application document that can answer the close query.
    virtual bool PageCanAnswerCloseQuery() const = 0;
    // The page agreed to close (zorv.app.close()): the window closes.
    virtual void AppCloseRequest() = 0;
    // Called as the window closes, before it frees its page host.
    virtual void SetOnClosing(std::function<void()> handler) = 0;
    // Shows the window, opens the start page and runs the message loop until the window has
    // closed or EndForRestart is called; gives the exit code.
    virtual int Run() = 0;
    // Ends Run without asking the page; the window stays until it is freed.
    virtual void EndForRestart() = 0;
};

// What a backend makes for the session.
class IWindowFactory {
public:
    virtual ~IWindowFactory() = default;
    // A main window with these settings, hidden, its page host waiting for its options; null when
    // the system refuses to make one. The bridge module is borrowed and outlives the window's use
    // of it.
    virtual std::unique_ptr<ISessionWindow> MakeWindow(const TWindowSettings& settings,
                                                       TBrowserExternalModule& bridge) = 0;
    // Watches `pagesFolder` and `settingsFile` (UTF-8 paths); changes are reported on the UI thread.
    virtual std::unique_ptr<IFolderWatch> WatchFolder(const std::string& projectFolder, const std::string& appDirName,
                                                      std::function<void()> onPagesChanged,
                                                      std::function<void()> onSettingsChanged) = 0;
    // Tells the user why the application ends.
    virtual void ShowEndingError(const std::string& text) = 0;
};

// What happens after start-up, the same on every platform: the bridge module and the main window
// of each round, wired together; the page host's options worked out from the start-up state; and,
// serving a project folder, the restart loop: a change of its pages reloads the page, a change of
// its zorv.ini makes the window again with the new settings.
class TAppSession {
public:
    static constexpr const char* SettingsLostText =
        "zorv.ini no longer gives ID, Name and DirName; the application ends";

    // `services` are borrowed as the bridge borrows them; their themes also serve start-up.
    TAppSession(IStartupHost& host, std::vector<std::string> args, TBridgeServices services);
    ~TAppSession();
    TAppSession(const TAppSession&) = delete;
    TAppSession& operator=(const TAppSession&) = delete;

    // The start-up sequence; nothing when the main window is to be made.
    std::optional<int> Start() { return FStartup.Run(); }
    // Main windows, one after the other, until one closes; gives the exit code.
    int Run(IWindowFactory& factory);

    // One round's steps, as Run takes them.
    bool OpenWindow(IWindowFactory& factory);
    void CloseWindow();

    TStartupSequence& Startup() { return FStartup; }
    const TRuntimeState& State() const { return FStartup.State(); }
    ISessionWindow* Window() const { return FWindow.get(); }
    TBrowserExternalModule* Bridge() const { return FBridge.get(); }
    // Worked out from the start-up state.
    TPageHostOptions PageHostOptions() const;
    TBridgeContext BridgeContext() const;
    // The folder that stands for the executable's, with a trailing delimiter.
    std::string AppDirPath() const;

private:
    void WireBridge(const TWindowSettings& settings);
    std::unique_ptr<IFolderWatch> WatchProjectFolder(IWindowFactory& factory, bool& restart);
    std::string ExtraScript() const;

    TBridgeServices FServices;
    TStartupSequence FStartup;
    std::unique_ptr<TBrowserExternalModule> FBridge;
    std::unique_ptr<ISessionWindow> FWindow;
};

}  // namespace zorv
