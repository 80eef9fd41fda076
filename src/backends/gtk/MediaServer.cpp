#include "backends/gtk/MediaServer.h"

#include <cstdio>
#include <cstring>
#include <random>

#include "backends/gtk/EmbeddedScripts.h"
#include "runtime/AppUrl.h"

namespace zorv {

namespace {

constexpr std::size_t FeedBlockSize = 64 * 1024;

std::string RandomKey() {
    std::random_device random;
    std::string key;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(random()));
        key += part;
    }
    return key;
}

// A streamed answer handed to the connection one block at a time: each block is read through the
// body's stream (off the UI thread where the stream reads the disk), appended once read, and the
// next read starts once it is written, so a large body never lies whole in memory. Lives as long
// as its message; a read in flight holds the message.
struct TBodyFeed {
    TGObjectOwned<GInputStream> body;
    TGObjectOwned<GCancellable> cancellable{g_cancellable_new()};

    static constexpr const char* DataKey = "zorv-body-feed";

    static void Start(SoupServerMessage* message, GInputStream* body) {
        auto* feed = new TBodyFeed{TGObjectOwned<GInputStream>(body)};
        g_object_set_data_full(G_OBJECT(message), DataKey, feed,
                               [](gpointer data) { delete static_cast<TBodyFeed*>(data); });
        soup_message_body_set_accumulate(soup_server_message_get_response_body(message), FALSE);
        g_signal_connect(message, "wrote-chunk", G_CALLBACK(WroteChunk), nullptr);
        // A message that ends early (the player went away) reads no further.
        g_signal_connect(message, "finished", G_CALLBACK(Finished), nullptr);
        feed->ReadNext(message);
    }
    static TBodyFeed* Of(SoupServerMessage* message) {
        return static_cast<TBodyFeed*>(g_object_get_data(G_OBJECT(message), DataKey));
    }
    static void WroteChunk(SoupServerMessage* message, gpointer) {
        if (TBodyFeed* feed = Of(message)) feed->ReadNext(message);
    }
    static void Finished(SoupServerMessage* message, gpointer) {
        if (TBodyFeed* feed = Of(message)) g_cancellable_cancel(feed->cancellable.get());
    }

    void ReadNext(SoupServerMessage* message) {
        if (g_cancellable_is_cancelled(cancellable.get())) return;
        g_input_stream_read_bytes_async(body.get(), FeedBlockSize, G_PRIORITY_DEFAULT, cancellable.get(), BlockRead,
                                        g_object_ref(message));
    }
    static void BlockRead(GObject* source, GAsyncResult* result, gpointer data) {
        const TGObjectOwned<SoupServerMessage> message(static_cast<SoupServerMessage*>(data));
        GError* failure = nullptr;
        const TGBytesOwned block(g_input_stream_read_bytes_finish(G_INPUT_STREAM(source), result, &failure));
        const TGErrorOwned error(failure);
        TBodyFeed* feed = Of(message.get());
        if (!feed || g_cancellable_is_cancelled(feed->cancellable.get())) return;
        SoupMessageBody* body = soup_server_message_get_response_body(message.get());
        if (!block) {
            // A damaged or unreadable body: the connection is cut, so the player meets an error
            // rather than a short body taken as whole.
            const TGObjectOwned<GIOStream> connection(soup_server_message_steal_connection(message.get()));
            if (connection) g_io_stream_close(connection.get(), nullptr, nullptr);
            return;
        }
        if (g_bytes_get_size(block.get()) > 0)
            soup_message_body_append_bytes(body, block.get());
        else
            soup_message_body_complete(body);
        soup_server_message_unpause(message.get());
    }
};

bool IsPlayable(const TResource& resource) { return resource.source != TResourceSource::Nowhere; }

}  // namespace

TMediaServer::TMediaServer() : FServer(soup_server_new(nullptr, nullptr)), FKey(RandomKey()) {
    soup_server_add_handler(FServer.get(), nullptr, HandleRequest, this, nullptr);
}

void TMediaServer::SetResolver(TResourceResolver resolver, const std::string& ownFolder) {
    FResolver = std::move(resolver);
    FResolver.SetStreamLargeEntries(true);
    FResolver.SetStreamLargeFiles(true);
    FResolver.RestrictDiskFilesTo(ownFolder);
}

TStatus TMediaServer::Listen() {
    GError* error = nullptr;
    if (!soup_server_listen_local(FServer.get(), 0, SOUP_SERVER_LISTEN_IPV4_ONLY, &error)) {
        const TGErrorOwned owned(error);
        return Failure(std::string("The media server cannot listen: ") + (error ? error->message : "unknown error"));
    }
    const TGUriListOwned uris(soup_server_get_uris(FServer.get()));
    const int port = uris ? g_uri_get_port(static_cast<GUri*>(uris->data)) : -1;
    if (port <= 0) return Failure("The media server has no address");
    FHost = "127.0.0.1:" + std::to_string(port);
    FBaseUrl = "http://" + FHost + "/" + FKey + "/";
    return {};
}

void TMediaServer::HandleRequest(SoupServer*, SoupServerMessage* message, const char*, GHashTable*, gpointer self) {
    static_cast<TMediaServer*>(self)->Answer(message);
}

void TMediaServer::Answer(SoupServerMessage* message) const {
    const char* method = soup_server_message_get_method(message);
    const bool head = std::strcmp(method, "HEAD") == 0;
    if (!head && std::strcmp(method, "GET") != 0)
        return soup_server_message_set_status(message, SOUP_STATUS_METHOD_NOT_ALLOWED, nullptr);
    const std::string path = g_uri_get_path(soup_server_message_get_uri(message));
    const std::string keyStep = "/" + FKey + "/";
    SoupMessageHeaders* request = soup_server_message_get_request_headers(message);
    const char* host = soup_message_headers_get_one(request, "Host");
    if (FBaseUrl.empty() || path.compare(0, keyStep.size(), keyStep) != 0 || !host || FHost != host)
        return soup_server_message_set_status(message, SOUP_STATUS_NOT_FOUND, nullptr);
    const std::string appUrl = std::string(TAppUrl::CustomPrefix) + path.substr(keyStep.size());
    if (FRequestFilter && !FRequestFilter(appUrl, TAppSchemeHandler::RequesterOrigin(request)))
        return soup_server_message_set_status(message, SOUP_STATUS_NOT_FOUND, nullptr);
    TResource resource = FResolver.FindUrl(appUrl, TAppSchemeHandler::RangeHeader(request));
    if (!IsPlayable(resource)) return soup_server_message_set_status(message, SOUP_STATUS_NOT_FOUND, nullptr);

    soup_server_message_set_status(message, static_cast<guint>(resource.status), resource.reason.c_str());
    SoupMessageHeaders* headers = soup_server_message_get_response_headers(message);
    TAppSchemeHandler::AddAnswerHeaders(headers, resource);
    // Frames can be drawn on a canvas: the key, not the origin, is what admits a request.
    soup_message_headers_append(headers, "Access-Control-Allow-Origin", "*");
    soup_message_headers_set_content_length(headers, static_cast<goffset>(resource.BodyLength()));
    if (head) return;
    if (resource.stream || resource.fileStream) return TBodyFeed::Start(message, TAppSchemeHandler::TakeBody(resource));
    soup_message_body_append_bytes(soup_server_message_get_response_body(message),
                                   BytesTaking(std::move(resource.bytes)).get());
}

std::string TMediaServer::MediaScript() const {
    if (FBaseUrl.empty()) return {};
    return MediaPlayerScript(FBaseUrl, TAppUrl::CustomPrefix);
}

}  // namespace zorv
