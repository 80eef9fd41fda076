#include "backends/win32/WinWindowFactory.h"

#include "backends/win32/MainForm.h"
#include "backends/win32/WinFolderWatcher.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinUiThread.h"

namespace zorv {

TWinWindowFactory::TWinWindowFactory(TWinUiThread& uiThread, TWinThemeEngine* themeEngine,
                                     TEdgeBrowser::TEnvironmentFactory environmentFactory)
    : FUiThread(uiThread),
      FThemeEngine(themeEngine),
      FEnvironmentFactory(TEdgeBrowser::OneEnvironmentPerProcess(std::move(environmentFactory))) {}

HWND TWinWindowFactory::CurrentWindow() const { return FCurrentAlive.Expired() ? nullptr : FCurrent; }

std::unique_ptr<ISessionWindow> TWinWindowFactory::MakeWindow(const TWindowSettings& settings,
                                                              TBrowserExternalModule&) {
    auto form = std::make_unique<TMainForm>(FUiThread, settings, FThemeEngine, FEnvironmentFactory);
    form->Create();
    if (!form->Handle()) return nullptr;
    FCurrent = form->Handle();
    FCurrentAlive = form->Lifetime().Watch();
    return form;
}

std::unique_ptr<IFolderWatch> TWinWindowFactory::WatchFolder(const std::string& projectFolder,
                                                             const std::string& appDirName,
                                                             std::function<void()> onPagesChanged,
                                                             std::function<void()> onSettingsChanged) {
    return std::make_unique<TWinFolderWatcher>(TWinText::Utf8ToWide(projectFolder), TWinText::Utf8ToWide(appDirName),
                                               FUiThread, std::move(onPagesChanged), std::move(onSettingsChanged));
}

void TWinWindowFactory::ShowEndingError(const std::string& text) {
    ::MessageBoxW(nullptr, TWinText::Utf8ToWide(text + ".").c_str(), L"Application Error",
                  MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace zorv
