#include "backends/gtk/AppSchemeHandler.h"

#include <libsoup/soup.h>

#include <string>

#include "backends/gtk/EntryInputStream.h"
#include "backends/gtk/GLibOwned.h"
#include "runtime/AppContentGate.h"
#include "runtime/AppUrl.h"

namespace zorv {

TAppSchemeHandler::TAppSchemeHandler(WebKitWebContext* context) {
    const std::string scheme(TAppUrl::CustomScheme);
    // Not registered as local: workers of a local scheme fail with a SecurityError.
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, scheme.c_str());
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, scheme.c_str());
    webkit_security_manager_register_uri_scheme_as_display_isolated(security, scheme.c_str());
    webkit_web_context_register_uri_scheme(context, scheme.c_str(), HandleRequest, this, nullptr);
}

void TAppSchemeHandler::HandleRequest(WebKitURISchemeRequest* request, gpointer self) {
    static_cast<TAppSchemeHandler*>(self)->Answer(request);
}

void TAppSchemeHandler::Refuse(WebKitURISchemeRequest* request, const char* reason) {
    TGErrorOwned error(g_error_new_literal(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, reason));
    webkit_uri_scheme_request_finish_error(request, error.get());
}

std::optional<std::string> TAppSchemeHandler::RequesterOrigin(SoupMessageHeaders* headers) {
    if (!headers) return std::nullopt;
    if (const char* origin = soup_message_headers_get_one(headers, "Origin")) return std::string(origin);
    if (const char* referer = soup_message_headers_get_one(headers, "Referer")) return TAppUrl::OriginOf(referer);
    return std::nullopt;
}

std::optional<std::string_view> TAppSchemeHandler::RangeHeader(SoupMessageHeaders* headers) {
    if (!headers) return std::nullopt;
    if (const char* range = soup_message_headers_get_one(headers, "Range")) return std::string_view(range);
    return std::nullopt;
}

void TAppSchemeHandler::AddAnswerHeaders(SoupMessageHeaders* headers, const TResource& resource) {
    for (const auto& [name, value] : resource.Headers())
        soup_message_headers_append(headers, name.c_str(), value.c_str());
    soup_message_headers_append(headers, "Cache-Control", "no-store");
}

GInputStream* TAppSchemeHandler::TakeBody(TResource& resource, TCatchUp catchUp) {
    if (resource.stream) return NewEntryInputStream(std::move(resource.stream));
    if (resource.fileStream) return NewFileInputStream(std::move(resource.fileStream), std::move(catchUp));
    return g_memory_input_stream_new_from_bytes(BytesTaking(std::move(resource.bytes)).get());
}

namespace {

// A query without effects on the page, answered by the web process in turn with the messages
// sent before it.
void QueryWebProcess(WebKitWebView* view, std::function<void()> resume) {
    webkit_web_view_can_execute_editing_command(
        view, WEBKIT_EDITING_COMMAND_COPY, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            const std::unique_ptr<std::function<void()>> answered(static_cast<std::function<void()>*>(data));
            webkit_web_view_can_execute_editing_command_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
            (*answered)();
        },
        new std::function<void()>(std::move(resume)));
}

}  // namespace

TCatchUp TAppSchemeHandler::CatchUpWith(WebKitWebView* view) {
    if (!view) return {};
    // Held weakly: a streamed answer may outlive its view.
    return [weak = std::make_shared<TGWeakRef<WebKitWebView>>(view)](std::function<void()> resume) {
        const TGObjectOwned<WebKitWebView> alive = weak->Get();
        if (!alive) return resume();
        QueryWebProcess(alive.get(), std::move(resume));
    };
}

void TAppSchemeHandler::Answer(WebKitURISchemeRequest* request) const {
    const std::string uri = webkit_uri_scheme_request_get_uri(request);
    SoupMessageHeaders* requestHeaders = webkit_uri_scheme_request_get_http_headers(request);
    if (FRequestFilter && !FRequestFilter(uri, RequesterOrigin(requestHeaders)))
        return Refuse(request, "Refused: not requested by the application");
    TResource resource = FResolver.FindUrl(uri, RangeHeader(requestHeaders));
    const gint64 length = static_cast<gint64>(resource.BodyLength());
    TCatchUp catchUp = resource.fileStream ? CatchUpWith(webkit_uri_scheme_request_get_web_view(request)) : nullptr;
    const TGObjectOwned<GInputStream> stream(TakeBody(resource, std::move(catchUp)));
    const TGObjectOwned<WebKitURISchemeResponse> response(webkit_uri_scheme_response_new(stream.get(), length));
    webkit_uri_scheme_response_set_status(response.get(), static_cast<guint>(resource.status), resource.reason.c_str());
    const std::string contentType = resource.ContentTypeHeader();
    webkit_uri_scheme_response_set_content_type(response.get(), contentType.c_str());
    // fetch() sees only the headers given here, Content-Type included.
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    AddAnswerHeaders(headers, resource);
    webkit_uri_scheme_response_set_http_headers(response.get(), headers);
    webkit_uri_scheme_request_finish_with_response(request, response.get());
}

}  // namespace zorv
