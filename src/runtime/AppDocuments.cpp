#include "runtime/AppDocuments.h"

#include "runtime/AppUrl.h"

namespace zorv {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(text[i]) != lower(prefix[i])) return false;
    }
    return true;
}

}  // namespace

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
    if (appOrigin == "null" || !StartsWithNoCase(url, "blob:")) return false;
    url.remove_prefix(5);
    return url.size() > appOrigin.size() && url.starts_with(appOrigin) && url[appOrigin.size()] == '/';
}

bool TAppDocuments::IsInheritingUrl(std::string_view url) {
    const std::string_view path = url.substr(0, url.find_first_of("?#"));
    return path == "about:blank" || path == "about:srcdoc";
}

}  // namespace zorv
