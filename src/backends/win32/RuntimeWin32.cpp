// The Windows runtime's entry: start-up, the main window and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <xmmintrin.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "backends/win32/MessageDialog.h"
#include "backends/win32/WinCommandLine.h"
#include "backends/win32/WinDialogs.h"
#include "backends/win32/WinMenuBar.h"
#include "backends/win32/WinOperatingSystem.h"
#include "backends/win32/WinStartupHost.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinThemeEngine.h"
#include "backends/win32/WinUiThread.h"
#include "backends/win32/WinWindowFactory.h"
#include "bridge/ActiveTheme.h"
#include "runtime/AppSession.h"
#include "runtime/Runtime.h"
#include "shared/StylesUtils.h"
#include "shared/Win32Handles.h"

namespace zorv {

namespace {

// The arguments after the program name, split the runtime's way (no escape character).
std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> args;
    const std::vector<std::wstring> items = TWinCommandLine::Split(::GetCommandLineW());
    for (std::size_t i = 1; i < items.size(); ++i) args.push_back(TWinText::WideToUtf8(items[i]));
    return args;
}

void InitializeCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
}

void ShowApplicationError(const std::string& message) {
    ::MessageBoxW(nullptr, TWinText::Utf8ToWide(message).c_str(), L"Application Error",
                  MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

int Run() {
    // WebView2 and the browser engine expect floating-point exceptions to be masked.
    _mm_setcsr(_mm_getcsr() | 0x1F80);
    TComApartment apartment;
    InitializeCommonControls();

    TWinThemeEngine themeEngine;
    TActiveTheme stylesUtils(themeEngine, [&themeEngine](const std::string& message) {
        TMessageDialog::LocalizedMessageDlg(message, TDialogKind::Error, {TMsgDlgBtn::Close}, {}, "Error", nullptr,
                                            &themeEngine);
    });
    auto uiThread = std::make_shared<TWinUiThread>();
    TWinWindowFactory factory(*uiThread, &themeEngine);
    TWinDialogs dialogs;
    TWinMenuBar menuBar([&factory] { return factory.CurrentWindow(); }, &themeEngine);
    TBridgeServices services;
    services.dialogs = &dialogs;
    services.menuBar = &menuBar;
    services.activeTheme = &stylesUtils;
    services.operatingSystem = std::make_shared<TWinOperatingSystem>();
    services.uiThread = uiThread;

    TWinStartupHost host(&themeEngine);
    TAppSession session(host, CommandLineArguments(), services);
    if (std::optional<int> exitCode = session.Start()) return *exitCode;
    return session.Run(factory);
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
