#include "runtime/AppCommandLine.h"

#include "runtime/AppUrl.h"

namespace zorv {

bool TAppCommandLine::IsRelaunch(const std::vector<std::string>& args, const std::string& appID) {
    return args.size() == 2 && args[0] == appID;
}

std::string TAppCommandLine::StartUrl(const std::vector<std::string>& args, const std::string& appID,
                                      const std::string& indexHtml, std::string_view urlPrefix) {
    // Only a page of the application's own URL space is opened in its place.
    if (IsRelaunch(args, appID) && TAppUrl::IsAppUrl(TAppUrl::ToAppUrl(args[1]), urlPrefix)) return args[1];
    return TAppUrl::StartPageUrl(indexHtml, urlPrefix);
}

std::vector<std::string> TAppCommandLine::RelaunchArguments(const std::string& appID, const std::string& url) {
    return {appID, url};
}

}  // namespace zorv
