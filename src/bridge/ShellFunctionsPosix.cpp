#include "bridge/BrowserExternalModule.h"

namespace zorv {

// The system the runtime was built for, so that a page can tell which command interpreter
// shell.command runs ("cmd" or "/bin/sh") and which paths to expect.
void TBrowserExternalModule::SystemGetPlatform(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, "\"linux\"");
}

}  // namespace zorv
