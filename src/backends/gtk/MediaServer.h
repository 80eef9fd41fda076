#pragma once
#include <libsoup/soup.h>

#include <string>

#include "backends/gtk/AppSchemeHandler.h"
#include "backends/gtk/GLibOwned.h"
#include "runtime/ResourceResolver.h"
#include "shared/Result.h"

namespace zorv {

// Serves the application's URL space over HTTP on the loopback interface, for the engine's media
// player: WebKitGTK hands the URL of a <video> or <audio> element to GStreamer, which has no
// source for the application's own scheme, so the media elements of application pages are
// pointed here instead (MediaScript). Each run listens on a port of its own under a random key,
// the first step of every path, which only those pages are given; a request without it is
// answered 404, and every request also goes through the scheme's request filter. Answers are the
// resolver's, ranges included; large entries are streamed as the player reads them.
class TMediaServer {
public:
    TMediaServer();
    TMediaServer(const TMediaServer&) = delete;
    TMediaServer& operator=(const TMediaServer&) = delete;

    TStatus Listen();
    // "http://127.0.0.1:PORT/KEY/" once listening; an application path appended names its file.
    const std::string& BaseUrl() const { return FBaseUrl; }
    void SetResolver(TResourceResolver resolver) {
        FResolver = std::move(resolver);
        FResolver.SetStreamLargeEntries(true);
    }
    void SetRequestFilter(TAppSchemeHandler::TRequestFilter filter) { FRequestFilter = std::move(filter); }

    // The document-start script that points the media elements of application pages here.
    std::string MediaScript() const;

private:
    static void HandleRequest(SoupServer* server, SoupServerMessage* message, const char* path, GHashTable* query,
                              gpointer self);
    void Answer(SoupServerMessage* message) const;

    TGObjectOwned<SoupServer> FServer;
    std::string FKey;
    std::string FBaseUrl;
    TResourceResolver FResolver{nullptr, "", ""};
    TAppSchemeHandler::TRequestFilter FRequestFilter;
};

}  // namespace zorv
