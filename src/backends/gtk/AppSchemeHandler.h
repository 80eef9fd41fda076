#pragma once
#include <webkit2/webkit2.h>

#include <memory>

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
    void SetResolver(TResourceResolver resolver) { FResolver = std::move(resolver); }
    // Whether requests are answered; while false they fail with an error.
    void SetHandleRequests(bool handle) { FHandleRequests = handle; }

private:
    static void HandleRequest(WebKitURISchemeRequest* request, gpointer self);
    void Answer(WebKitURISchemeRequest* request) const;

    TResourceResolver FResolver{nullptr, "", ""};
    bool FHandleRequests = true;
};

}  // namespace zorv
