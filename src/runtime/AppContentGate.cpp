#include "runtime/AppContentGate.h"

#include "runtime/AppUrl.h"

namespace zorv {

void TAppContentGate::DocumentCommitted(std::string_view url) {
    FTopIsApp = FDocuments.IsAppDocument(url);
    FPermittedNavigation.clear();
}

bool TAppContentGate::MayNavigate(std::string_view url, TNavigationCause cause) {
    if (!TAppUrl::IsAppUrl(url, FDocuments.UrlPrefix())) return true;
    if (cause == TNavigationCause::Page && !FTopIsApp) return false;
    FPermittedNavigation = WithoutFragment(url);
    return true;
}

bool TAppContentGate::MayRequest(std::string_view url, std::optional<std::string_view> requesterOrigin) const {
    if (requesterOrigin && *requesterOrigin != TAppUrl::Origin(FDocuments.UrlPrefix())) return false;
    if (FTopIsApp) return true;
    return !FPermittedNavigation.empty() && WithoutFragment(url) == FPermittedNavigation;
}

std::string TAppContentGate::OriginOf(std::string_view url) {
    const std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos || schemeEnd == 0) return "null";
    const std::size_t hostEnd = url.find_first_of("/?#", schemeEnd + 3);
    std::string origin(url.substr(0, hostEnd));
    for (std::size_t i = 0; i < schemeEnd; ++i)
        if (origin[i] >= 'A' && origin[i] <= 'Z') origin[i] = static_cast<char>(origin[i] - 'A' + 'a');
    return origin;
}

std::string_view TAppContentGate::WithoutFragment(std::string_view url) { return url.substr(0, url.find('#')); }

}  // namespace zorv
