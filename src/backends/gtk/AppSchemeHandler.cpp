#include "backends/gtk/AppSchemeHandler.h"

#include <libsoup/soup.h>

#include <string>

#include "runtime/AppUrl.h"

namespace zorv {

TAppSchemeHandler::TAppSchemeHandler(WebKitWebContext* context) {
    const std::string scheme(TAppUrl::CustomScheme);
    // Not registered as local: workers of a local scheme fail with a SecurityError.
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, scheme.c_str());
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, scheme.c_str());
    webkit_web_context_register_uri_scheme(context, scheme.c_str(), HandleRequest, this, nullptr);
}

void TAppSchemeHandler::HandleRequest(WebKitURISchemeRequest* request, gpointer self) {
    static_cast<TAppSchemeHandler*>(self)->Answer(request);
}

void TAppSchemeHandler::Answer(WebKitURISchemeRequest* request) const {
    if (!FHandleRequests) {
        GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED, "Requests are not answered");
        webkit_uri_scheme_request_finish_error(request, error);
        g_error_free(error);
        return;
    }
    TResource resource = FResolver.FindUrl(webkit_uri_scheme_request_get_uri(request));
    auto* body = new std::string(std::move(resource.bytes));
    GBytes* bytes = g_bytes_new_with_free_func(body->data(), body->size(),
                                               [](gpointer data) { delete static_cast<std::string*>(data); }, body);
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, static_cast<gint64>(body->size()));
    webkit_uri_scheme_response_set_status(response, static_cast<guint>(resource.status), resource.reason.c_str());
    const std::string contentType = resource.ContentTypeHeader();
    webkit_uri_scheme_response_set_content_type(response, contentType.c_str());
    // fetch() sees only the headers given here, Content-Type included.
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Content-Type", contentType.c_str());
    soup_message_headers_append(headers, "Cache-Control", "no-store");
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(stream);
    g_bytes_unref(bytes);
}

}  // namespace zorv
