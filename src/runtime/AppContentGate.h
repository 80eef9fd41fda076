#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "runtime/AppDocuments.h"

namespace zorv {

// What started a navigation of the top document.
enum class TNavigationCause {
    Host,     // the runtime itself (the start page)
    History,  // back, forward or reload of an entry the user already had
    Page,     // a document: a link, a form, a script
};

// Keeps the application's URL space to the application, for engines that do not say which
// document made a request: requests of the app URL space are answered only while the top
// document is an application document, or for the one navigation the runtime or the history
// started. A remote page can then neither embed application pages nor probe the disk through the
// scheme, and a page that is not the application gets no permissions and starts nothing.
class TAppContentGate {
public:
    explicit TAppContentGate(TAppDocuments documents) : FDocuments(std::move(documents)) {}

    // A new top document has been committed.
    void DocumentCommitted(std::string_view url);
    bool TopIsAppDocument() const { return FTopIsApp; }
    // Whether the top document may be navigated to `url`; a navigation into the app URL space is
    // let through only when the application or the runtime asked for it.
    bool MayNavigate(std::string_view url, TNavigationCause cause);
    // Whether a request of the app URL space is answered. `requesterOrigin` is the origin the
    // request names as its maker (its Origin or Referer header) when it names one.
    bool MayRequest(std::string_view url, std::optional<std::string_view> requesterOrigin) const;

    // The origin of a URL ("scheme://host[:port]"), or "null" when it has none.
    static std::string OriginOf(std::string_view url);

private:
    static std::string_view WithoutFragment(std::string_view url);

    TAppDocuments FDocuments;
    bool FTopIsApp = false;
    // The navigation let through while the top document is not the application's.
    std::string FPermittedNavigation;
};

}  // namespace zorv
