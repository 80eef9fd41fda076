#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "runtime/AppUrl.h"

namespace zorv {

// The command-line convention of the runtime: no arguments, or the pair (application identifier,
// URL) with which a running application starts a second instance for a new window. `args` never
// includes the program name. Identifiers compare exactly (ordinal, case-sensitive).
class TAppCommandLine {
public:
    TAppCommandLine() = delete;
    // Exactly (identifier, URL): the form a running instance uses to open a new window.
    static bool IsRelaunch(const std::vector<std::string>& args, const std::string& appID);
    // The URL the main window opens: the relaunch URL verbatim when it lies in the application's
    // URL space, else the start page.
    static std::string StartUrl(const std::vector<std::string>& args, const std::string& appID,
                                const std::string& indexHtml, std::string_view urlPrefix = TAppUrl::Prefix());
    // The arguments that open `url` in a new instance.
    static std::vector<std::string> RelaunchArguments(const std::string& appID, const std::string& url);
};

}  // namespace zorv
