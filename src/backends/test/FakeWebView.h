#pragma once
#include <string>
#include <vector>

#include "platform/WebView.h"

namespace zorv {

// A web view that records what native code sent to the page. Like the platform, it refuses to
// post text that is not valid JSON: such a message never reaches the page.
class TFakeWebView : public IWebView {
public:
    void PostWebMessageAsJson(const std::string& json) override;
    void ExecuteScript(const std::string& script) override { FScripts.push_back(script); }
    void FocusWebView() override { ++FFocusRequests; }

    const std::vector<std::string>& Posted() const { return FPosted; }
    const std::vector<std::string>& Refused() const { return FRefused; }
    const std::vector<std::string>& Scripts() const { return FScripts; }
    int FocusRequests() const { return FFocusRequests; }
    void Clear();

private:
    std::vector<std::string> FPosted;
    std::vector<std::string> FRefused;
    std::vector<std::string> FScripts;
    int FFocusRequests = 0;
};

}  // namespace zorv
