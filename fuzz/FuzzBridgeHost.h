#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "backends/test/FakeDialogs.h"
#include "backends/test/FakeMainWindow.h"
#include "backends/test/FakeMenuBar.h"
#include "backends/test/FakeThemeEngine.h"
#include "backends/test/FakeWebView.h"
#include "bridge/BrowserExternalModule.h"
#include "platform/OperatingSystem.h"
#include "archive/AppPackage.h"
#include "shared/ProjectSettings.h"
#include "bridge/ActiveTheme.h"
#include "shared/StylesUtils.h"

namespace zorv::test {

// Every service a page could reach the session or the desktop through, answered without doing
// anything: no command runs, no program starts, no folder is deleted.
class TRecordingOperatingSystem : public IOperatingSystem {
public:
    TStatus ExitWindows(TExitWindowsAction) override { return Denied(); }
    std::vector<std::string> GetWindowsCaptions() override { return {"Fuzz \"window\"", "\x01\xFF"}; }
    std::string GetDosOutput(const std::string& commandLine, const std::string&, bool) override { return commandLine; }
    TStatus ShellExec(const std::string&, const std::string&) override { return Denied(); }
    TStatus ShellExplore(const std::string&) override { return Succeeded(); }
    TStatus DeleteDirectory(const std::string&) override { return Denied(); }
    std::string GetUserDesktopDirPath() override { return "/desktop/"; }
    std::string GetUserDocumentsDirPath() override { return "/documents/"; }
    std::string GetUserAppDataDirPath() override { return "/appdata/"; }
    std::string GetLocalAppDataDirPath() override { return "/localappdata/"; }
    std::string GetTempDirPath() override { return "/tmp/"; }

private:
    static TStatus Denied() { return Failure("Access is denied."); }
};

// A bridge module in runtime mode over the sample archive, wired to the in-memory backend and the
// recording operating system, its application folder the sandbox. Commands run on the calling
// thread (no UI thread), so every reply is posted before Post returns.
struct TFuzzBridgeHost {
    TFuzzBridgeHost();

    // Hands the message to the module and stops the process when the reply breaks the protocol:
    // more than one reply to one call, or a reply that is not valid JSON.
    void Post(std::string_view json);
    std::size_t ReplyCount() const { return webView.Posted().size(); }

    TFakeMainWindow window;
    TFakeWebView webView;
    TFakeDialogs dialogs;
    TFakeMenuBar menuBar;
    TFakeThemeEngine themeEngine;
    TActiveTheme styles;
    TProjectSettings settings;
    std::unique_ptr<TArchivePackage> package;
    std::unique_ptr<TBrowserExternalModule> module;
};

// Whether a whole web message may be run without reaching outside the sandbox: every string in it
// (and in the JSON text a string may carry, such as a menu description) names no path outside
// the sandbox and no pseudo file. Messages that fail this are skipped by the harnesses.
bool IsContainedMessage(std::string_view json);

}  // namespace zorv::test
