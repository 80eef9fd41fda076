#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "backends/test/FakeDialogs.h"
#include "backends/test/FakeMainWindow.h"
#include "backends/test/FakeMenuBar.h"
#include "backends/test/FakeThemeEngine.h"
#include "backends/test/FakeWebView.h"
#include "backends/test/QueuedUiThread.h"
#include "backends/test/TestOperatingSystem.h"
#include "bridge/BrowserExternalModule.h"
#include "archive/AppPackage.h"
#include "shared/ProjectSettings.h"
#include "bridge/ActiveTheme.h"
#include "shared/StylesUtils.h"

namespace zorv {

// A bridge module wired to the in-memory backend, as the session wires it, in runtime mode only
// when an archive is set. Every part is reachable, so that a test can arrange it and
// look at what the module asked of it.
struct TTestBridgeHost {
    static constexpr const char* PageUrl = "file:///index.html";

    explicit TTestBridgeHost(TBridgeContext context);
    TTestBridgeHost();

    // What the application shipped: the archive (borrowed), read through a package.
    void UseArchive(const TAbZipKit& archive);

    // Posts a message as the document at `sourceUrl` would.
    void Post(const std::string& json, const std::string& sourceUrl = PageUrl);
    // Posts a plain string message.
    void PostString(const std::string& text, const std::string& sourceUrl = PageUrl);
    // Posts {"id": <id>, "uuid": <uuid>, "data": <data>} with the texts inserted as they stand,
    // and gives the replies that the call posted (none, or one).
    std::vector<std::string> Call(std::string_view id, std::string_view data, std::string_view uuid = "\"u-1\"");
    // The one reply of a call, or "" when it got none.
    std::string Reply(std::string_view id, std::string_view data = "{}", std::string_view uuid = "\"u-1\"");

    TFakeMainWindow window;
    TFakeWebView webView;
    TFakeDialogs dialogs;
    TFakeMenuBar menuBar;
    TFakeThemeEngine themeEngine;
    TActiveTheme styles;
    std::shared_ptr<TTestOperatingSystem> os;
    std::shared_ptr<TQueuedUiThread> uiThread;
    TProjectSettings settings = TProjectSettings::Defaults();
    std::unique_ptr<TArchivePackage> package;
    int closeRequests = 0;
    std::unique_ptr<TBrowserExternalModule> module;
};

}  // namespace zorv
