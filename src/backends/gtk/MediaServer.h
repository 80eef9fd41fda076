#pragma once
#include <libsoup/soup.h>

#include <string>

#include "backends/gtk/AppSchemeHandler.h"
#include "backends/gtk/GLibOwned.h"
#include "runtime/ResourceResolver.h"
#include "shared/Result.h"

namespace zorv {

// Serves what the application may play over HTTP on the loopback interface, for the engine's
// media player: WebKitGTK hands the URL of a <video> or <audio> element to GStreamer, which has no
// source for the application's own scheme, so the media elements of application pages are
// pointed here instead (MediaScript). Each run listens on a port of its own under a random key,
// the first step of every path, which only those pages are given, and every request also goes
// through the scheme's request filter. Only the archive's entries and the files of the
// application's own folder are served: whoever learns the key reads nothing else of the disk. A
// request without the key, for another host than 127.0.0.1 and the port (a page of another site
// reaching the port through a name of its own), or for anything else is answered 404 with no
// body. Answers are the resolver's, ranges included; large entries and files are streamed as
// the player reads them, read off the UI thread.
class TMediaServer {
public:
    TMediaServer();
    TMediaServer(const TMediaServer&) = delete;
    TMediaServer& operator=(const TMediaServer&) = delete;

    TStatus Listen();
    // "http://127.0.0.1:PORT/KEY/" once listening; an application path appended names its file.
    const std::string& BaseUrl() const { return FBaseUrl; }
    // Where the answers come from. Files on disk are served only inside `ownFolder` (the project
    // folder of a project run from its folder); with an empty one, none are.
    void SetResolver(TResourceResolver resolver, const std::string& ownFolder);
    void SetRequestFilter(TAppSchemeHandler::TRequestFilter filter) { FRequestFilter = std::move(filter); }

    // The document-start script that points the media elements of application pages here.
    std::string MediaScript() const;

private:
    static void HandleRequest(SoupServer* server, SoupServerMessage* message, const char* path, GHashTable* query,
                              gpointer self);
    void Answer(SoupServerMessage* message) const;

    TGObjectOwned<SoupServer> FServer;
    std::string FKey;
    std::string FHost;  // "127.0.0.1:PORT" once listening
    std::string FBaseUrl;
    TResourceResolver FResolver{nullptr, "", ""};
    TAppSchemeHandler::TRequestFilter FRequestFilter;
};

}  // namespace zorv
