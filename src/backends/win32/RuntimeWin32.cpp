// The Windows runtime's entry: start-up, the main window and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <xmmintrin.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "backends/win32/BrowserForm.h"
#include "backends/win32/EdgeBrowser.h"
#include "backends/win32/MainForm.h"
#include "backends/win32/MessageDialog.h"
#include "backends/win32/RequirePasswordForm.h"
#include "backends/win32/SysUtils.h"
#include "backends/win32/WinOperatingSystem.h"
#include "backends/win32/WinCommandLine.h"
#include "backends/win32/WinDialogs.h"
#include "backends/win32/WinFolderWatcher.h"
#include "backends/win32/WinHandles.h"
#include "backends/win32/WinMenuBar.h"
#include "backends/win32/WinStartupHost.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinThemeEngine.h"
#include "backends/win32/WinUiThread.h"
#include "runtime/ExeZipLoader.h"
#include "runtime/Runtime.h"
#include "shared/ExeUtils.h"
#include "shared/StylesUtils.h"

namespace zorv {

namespace {

// The arguments after the program name, split the runtime's way (no escape character).
std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> args;
    const std::vector<std::wstring> items = TWinCommandLine::Split(::GetCommandLineW());
    for (std::size_t i = 1; i < items.size(); ++i) args.push_back(TWinText::WideToUtf8(items[i]));
    return args;
}

// A project folder being run stands for the executable's folder: relative paths of the page name
// files of the project.
TBridgeContext BridgeContext(const TRuntimeState& state) {
    const std::vector<std::string>& args = state.args;
    TBridgeContext context;
    context.exePath = TExeUtils::RunningExePath();
    const std::size_t slash = context.exePath.find_last_of('\\');
    context.appDir = slash == std::string::npos ? std::string() : context.exePath.substr(0, slash + 1);
    if (state.ServesFolder()) context.appDir = state.projectFolder + "\\";
    context.commandLine.push_back(context.exePath);
    context.commandLine.insert(context.commandLine.end(), args.begin(), args.end());
    return context;
}

void InitializeCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
}

void ShowApplicationError(const std::string& message) {
    ::MessageBoxW(nullptr, TWinText::Utf8ToWide(message).c_str(), L"Application Error",
                  MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

int RunMessageLoop() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

int Run() {
    // WebView2 and the browser engine expect floating-point exceptions to be masked.
    _mm_setcsr(_mm_getcsr() | 0x1F80);
    TComApartment apartment;
    InitializeCommonControls();
    const std::vector<std::string> args = CommandLineArguments();

    TWinThemeEngine themeEngine;
    TStylesUtils stylesUtils(themeEngine, [&themeEngine](const std::string& message) {
        TMessageDialog::LocalizedMessageDlg(message, TDialogKind::Error, {TMsgDlgBtn::Close}, {}, "Error", nullptr,
                                            &themeEngine);
    });

    TWinStartupHost host;
    host.OnApplyTheme = [&stylesUtils](const std::string& name) {
        stylesUtils.TrySetStyle(name, TStylesUtils::TUnknownName::ShowError);
    };
    host.OnAskPassword = [&themeEngine](const std::string& caption, const std::string& password) {
        return TRequirePasswordForm::Ask(caption, password, &themeEngine);
    };
    TExeZipLoader loader(host, args);
    if (std::optional<int> exitCode = loader.Run()) return *exitCode;

    auto uiThread = std::make_shared<TWinUiThread>();
    HWND mainWindow = nullptr;
    TWinDialogs dialogs;
    TWinMenuBar menuBar([&mainWindow] { return mainWindow; }, &themeEngine);
    TBridgeServices services;
    services.dialogs = &dialogs;
    services.menuBar = &menuBar;
    services.stylesUtils = &stylesUtils;
    services.operatingSystem = std::make_shared<TWinOperatingSystem>();
    services.uiThread = uiThread;

    // Serving a project folder, a change of its zorv.ini makes the window again with the new
    // settings; a change of its pages reloads the page.
    for (;;) {
        const TRuntimeState& state = loader.State();
        bool restart = false;
        TMainForm mainForm(state, *uiThread, services, BridgeContext(state));
        mainForm.Create();
        mainWindow = mainForm.Handle();
        if (!mainWindow) return 0;
        themeEngine.RegisterWindow(mainForm.Handle());
        std::unique_ptr<TWinFolderWatcher> watcher;
        if (state.ServesFolder() && state.reloadOnChange) {
            watcher = std::make_unique<TWinFolderWatcher>(
                TWinText::Utf8ToWide(state.projectFolder), TWinText::Utf8ToWide(state.appDirName), *uiThread,
                [&mainForm] {
                    if (TBrowserForm* page = mainForm.BrowserForm()) page->ReloadPage();
                },
                [&restart] {
                    // The window goes once the message loop has ended: a call running a modal
                    // loop (a file dialog) ends as cancelled and returns first, while its bridge
                    // module and page still exist.
                    restart = true;
                    ::PostQuitMessage(0);
                });
        }
        mainForm.Show();
        const int exitCode = RunMessageLoop();
        watcher.reset();
        mainWindow = nullptr;
        if (!restart) return exitCode;
        // The window is still there, about to go; the one made next registers itself.
        themeEngine.UnregisterWindow(mainForm.Handle());
        if (!loader.ReloadSettings()) {
            ShowApplicationError("zorv.ini no longer gives ID, Name and DirName; the application ends.");
            return 1;
        }
        // The theme is one of the settings the window is made again with.
        stylesUtils.TrySetStyle(loader.State().settings.theme, TStylesUtils::TUnknownName::ShowError);
    }
}

}  // namespace

int RunRuntime(int, char**) {
    // An error that escapes start-up or the message loop ends the process after telling the user.
    try {
        return Run();
    } catch (const std::exception& error) {
        ShowApplicationError(error.what());
    } catch (...) {
        ShowApplicationError("Unknown error");
    }
    return 1;
}

}  // namespace zorv
