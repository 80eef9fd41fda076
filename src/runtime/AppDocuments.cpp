#include "runtime/AppDocuments.h"

#include "runtime/AppUrl.h"
#include "shared/StrUtils.h"

namespace zorv {

bool TAppDocuments::IsAppDocument(std::string_view url, std::optional<std::string_view> origin) const {
    const std::string_view appOrigin = TAppUrl::Origin(UrlPrefix());
    if (origin && *origin != appOrigin) return false;
    if (IsApplicationBlob(url)) return true;
    // about:blank and srcdoc frames take the origin of the document that made them; only the
    // origin the engine reports can tell an application's from another's.
    if (IsInheritingUrl(url)) return origin.has_value() && appOrigin != "null";
    if (!TAppUrl::IsAppUrl(url, UrlPrefix())) return false;
    return FResolver.LocateUrl(std::string(url)) == TResourceSource::Archive;
}

bool TAppDocuments::IsApplicationBlob(std::string_view url) const {
    const std::string_view appOrigin = TAppUrl::Origin(UrlPrefix());
    if (appOrigin == "null" || !TStrUtils::StartsTextWith(url, "blob:")) return false;
    url.remove_prefix(5);
    return url.size() > appOrigin.size() && url.starts_with(appOrigin) && url[appOrigin.size()] == '/';
}

bool TAppDocuments::IsInheritingUrl(std::string_view url) {
    const std::string_view path = url.substr(0, url.find_first_of("?#"));
    return path == "about:blank" || path == "about:srcdoc";
}

}  // namespace zorv
