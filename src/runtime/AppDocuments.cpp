#include "runtime/AppDocuments.h"

#include "runtime/AppUrl.h"

namespace zorv {

bool TAppDocuments::IsAppDocument(std::string_view url, std::optional<std::string_view> origin) const {
    if (!TAppUrl::IsAppUrl(url, UrlPrefix())) return false;
    if (origin && *origin != TAppUrl::Origin(UrlPrefix())) return false;
    return FResolver.LocateUrl(std::string(url)) == TResourceSource::Archive;
}

}  // namespace zorv
