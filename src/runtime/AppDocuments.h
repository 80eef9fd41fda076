#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "runtime/ResourceResolver.h"

namespace zorv {

// Decides which documents act as the application: a document whose URL is in the application's
// URL space and whose path the archive answers, and the documents an application document makes
// in its own origin: about:blank and srcdoc frames (when the engine reports their origin) and
// blob: URLs of the application's origin, which only its documents can create. Pages served from
// the disk fallbacks, remote pages and frames with an opaque origin (sandboxed) are served
// content, not the application: they get no bridge, no permissions, no new instances and no
// downloads.
class TAppDocuments {
public:
    explicit TAppDocuments(TResourceResolver resolver) : FResolver(std::move(resolver)) {}

    // `origin` is the document's own origin where the platform reports it ("null" for a sandboxed
    // frame); without it only the URL decides.
    bool IsAppDocument(std::string_view url, std::optional<std::string_view> origin = std::nullopt) const;
    std::string_view UrlPrefix() const { return FResolver.UrlPrefix(); }
    // A blob: URL that a document of the application's origin made.
    bool IsApplicationBlob(std::string_view url) const;

private:
    static bool IsInheritingUrl(std::string_view url);

    TResourceResolver FResolver;
};

}  // namespace zorv
