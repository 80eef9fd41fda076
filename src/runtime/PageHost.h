#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/WebMessage.h"
#include "platform/WebView.h"
#include "runtime/AppUrl.h"
#include "runtime/ResourceResolver.h"

namespace zorv {

class IAppPackage;

// Everything the page host serves and opens, worked out once by the session from the start-up
// state.
struct TPageHostOptions {
    const IAppPackage* package = nullptr;  // what the application shipped (borrowed)
    std::string appID;
    std::string appDirName;    // the archive folder that holds the pages
    std::string appIndexHtml;  // what the bare root of the URL space answers
    // The folder that stands for the executable's, with a trailing delimiter: the executable's own,
    // or the project folder being run. The disk fallbacks of requests read there.
    std::string appDirPath;
    std::string startUrl;
    bool allowDebug = false;
    bool allowContextMenu = false;
    // Put before (identifier, URL) when a new window starts another instance: the options that
    // serve the same project folder.
    std::vector<std::string> relaunchOptions;
    std::string_view urlPrefix = TAppUrl::Prefix();  // one of TAppUrl's constants
    std::string extraScript;                         // the archive's "zorv-webviewjs"
};

// The part of a backend that hosts the page: its web view, which serves the app URL space from
// the package, injects the document-start script (window.zorv, the drop guards, the extra
// script) and opens the start URL once the window shows.
class IPageHost {
public:
    virtual ~IPageHost() = default;
    // Taken before the page host opens its start page.
    virtual void SetOptions(TPageHostOptions options) = 0;
    // Reads requests of the app URL space as the options say: the package, then the disk.
    virtual TResourceResolver Resolver() const = 0;
    // The web view, which carries the bridge's replies and event scripts.
    virtual IWebView& WebView() = 0;
    // Loads the top document again as the runtime's own navigation.
    virtual void ReloadPage() = 0;
    // Every web message of the page, on the UI thread, at a point where a call may run a nested
    // message loop.
    virtual void SetOnWebMessage(std::function<void(const TWebMessage& message)> handler) = 0;
    virtual void SetOnDocumentTitleChanged(std::function<void(const std::string& title)> handler) = 0;
};

}  // namespace zorv
