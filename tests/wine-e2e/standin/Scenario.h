#pragma once
// The browser's side of a test run, read once from the JSON file that ZORV_WV2_SCENARIO names:
//   "browserVersion"   the installed runtime's version; "" means no runtime is installed. When the
//                      variable ZORV_WV2_RUNTIME_MARKER names a file, the runtime counts as
//                      installed only while that file exists (the stand-in installer makes it).
//   "environmentResult" an HRESULT such as "0x80004005" that the environment creation reports.
//   "lacks"            interfaces of a later runtime that this one does not offer (an older
//                      runtime): "ICoreWebView2_22", "ICoreWebView2PermissionRequestedEventArgs3".
//   "resources"        URLs the loaded page asks for after its own document; an entry may be
//                      {"uri": URL, "headers": {name: value}, "source": SOURCE} where SOURCE says
//                      who asks: "document" (the page or a frame of its origin, the default),
//                      "otherOriginFrame", "sandboxedFrame", "sharedWorker" or "serviceWorker".
//   "steps"            what the page and the user do once the first page has loaded, in order.
//   "stepsByUrl"       {url: [...]}: the steps instead when the first page loaded is that URL (a
//                      second instance opened for a new window plays its own part).
//   "stepsAfterRestart" the steps instead for a web view that is not the process's first (the
//                      runtime made its window again); "stepsByUrl" still comes first.
//   "onScript"         [{"script": text, "messages": [...]}]: web messages the page posts when the
//                      runtime runs exactly that script (zorv.events.onCloseQuery(); and the like).

#include <string>

#include <nlohmann/json.hpp>

namespace zorv::test {

class TScenario {
public:
    static const TScenario& Instance();

    const nlohmann::json& Document() const { return FDocument; }
    bool RuntimeInstalled() const;
    std::wstring BrowserVersion() const;
    HRESULT EnvironmentResult() const;
    const nlohmann::json& Resources() const { return Member("resources"); }
    // Whether the scenario's runtime is too old to offer that interface.
    bool Lacks(const std::string& interfaceName) const;
    const nlohmann::json& StepsFor(const std::string& firstUrl, bool afterRestart) const;
    // The messages to post when `script` runs, an empty array when none.
    const nlohmann::json& ReactionTo(const std::string& script) const;

private:
    TScenario();
    const nlohmann::json& Member(const char* name) const;
    nlohmann::json FDocument;
};

}  // namespace zorv::test
