#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "runtime/ResourceResolver.h"

namespace zorv {

// Decides which documents act as the application: a document whose URL is in the application's
// URL space and whose path the archive answers. Pages served from the disk fallbacks, remote
// pages and frames with an opaque origin (sandboxed) are served content, not the application:
// they get no bridge, no permissions, no new instances and no downloads.
class TAppDocuments {
public:
    explicit TAppDocuments(TResourceResolver resolver) : FResolver(std::move(resolver)) {}

    // `origin` is the document's own origin where the platform reports it ("null" for a sandboxed
    // frame); without it only the URL decides.
    bool IsAppDocument(std::string_view url, std::optional<std::string_view> origin = std::nullopt) const;
    std::string_view UrlPrefix() const { return FResolver.UrlPrefix(); }

private:
    TResourceResolver FResolver;
};

}  // namespace zorv
