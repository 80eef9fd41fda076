#pragma once
#include <functional>
#include <string>

namespace zorv {

// The page decides when the main window may close: every close attempt asks it through
// "zorv.events.onCloseQuery();", and only a later zorv.app.close() lets the window go.
class TCloseProtocol {
public:
    static constexpr const char* CloseQueryScript = "zorv.events.onCloseQuery();";

    // `runScript` runs a script in the page without waiting for it.
    explicit TCloseProtocol(std::function<void(const std::string&)> runScript);

    // One close attempt. `pageCanAnswer` is false while no application page is there to hear the
    // question (the web view is missing or has failed, or shows a document outside the
    // application); the window then closes at once instead of staying open for good.
    bool CloseQuery(bool pageCanAnswer);
    // zorv.app.close(): the next close attempt goes through.
    void AllowClose();
    bool CanClose() const { return FCanClose; }

private:
    std::function<void(const std::string&)> FRunScript;
    bool FCanClose = false;
};

}  // namespace zorv
