#include "runtime/CommandLine.h"

#include "runtime/AppUrl.h"

namespace zorv {

bool TCommandLine::FirstArgumentIsAppID(const std::vector<std::string>& args, const std::string& appID) {
    return !args.empty() && args[0] == appID;
}

bool TCommandLine::IsRelaunch(const std::vector<std::string>& args, const std::string& appID) {
    return args.size() == 2 && args[0] == appID;
}

std::string TCommandLine::StartUrl(const std::vector<std::string>& args, const std::string& appID,
                                   const std::string& indexHtml) {
    if (IsRelaunch(args, appID)) return args[1];
    return TAppUrl::StartPageUrl(indexHtml);
}

std::vector<std::string> TCommandLine::RelaunchArguments(const std::string& appID, const std::string& url) {
    return {appID, url};
}

}  // namespace zorv
