#pragma once
#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "backends/gtk/EntryInputStream.h"
#include "runtime/ResourceResolver.h"

namespace zorv {

// Serves the application's URL space ("zorv://app/...") on a web context: secure and
// CORS-enabled, so pages get a secure context, module scripts, fetch and workers. Every request is
// answered at once with its status and Content-Type. Registered once per context.
class TAppSchemeHandler {
public:
    explicit TAppSchemeHandler(WebKitWebContext* context);
    TAppSchemeHandler(const TAppSchemeHandler&) = delete;
    TAppSchemeHandler& operator=(const TAppSchemeHandler&) = delete;

    // Where the answers come from; until set, every request is answered 404.
    // Large stored entries and large files are streamed to the engine as it reads them.
    void SetResolver(TResourceResolver resolver) {
        FResolver = std::move(resolver);
        FResolver.SetStreamLargeEntries(true);
        FResolver.SetStreamLargeFiles(true);
    }
    // Decides whether a request is answered at all, from its URL and the origin of the document
    // that made it when the request names one (its Origin or Referer header). Refused requests
    // fail with an error. Without a filter every request is answered.
    using TRequestFilter = std::function<bool(const std::string& uri, std::optional<std::string_view> requesterOrigin)>;
    void SetRequestFilter(TRequestFilter filter) { FRequestFilter = std::move(filter); }

    // The origin of the document that made a request, where its headers say: the Origin header,
    // else the origin of the Referer. Navigations typed by the runtime name none.
    static std::optional<std::string> RequesterOrigin(SoupMessageHeaders* headers);
    // A request's Range header; the view stays valid while the headers live.
    static std::optional<std::string_view> RangeHeader(SoupMessageHeaders* headers);
    // The headers every answer of the URL space carries: the resource's own, and no caching.
    static void AddAnswerHeaders(SoupMessageHeaders* headers, const TResource& resource);
    // The answer's body as a stream, taken from it: a streamed entry or file read as the stream
    // is (a file letting its consumer catch up with `catchUp`), other bodies from memory. A new
    // reference.
    static GInputStream* TakeBody(TResource& resource, TCatchUp catchUp = {});
    // Lets the web process of `view` catch up: resumes once it has answered a query sent after
    // everything the engine sent it before, the blocks of streamed answers included (messages to
    // a web process are taken in the order they were sent). Resumes at once once the view is gone.
    static TCatchUp CatchUpWith(WebKitWebView* view);

private:
    static void HandleRequest(WebKitURISchemeRequest* request, gpointer self);
    void Answer(WebKitURISchemeRequest* request) const;
    static void Refuse(WebKitURISchemeRequest* request, const char* reason);

    TResourceResolver FResolver{nullptr, "", ""};
    TRequestFilter FRequestFilter;
};

}  // namespace zorv
