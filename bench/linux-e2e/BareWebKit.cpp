// The baseline of the Linux benchmarks: the least a WebKitGTK program does to show a page from
// disk. A page reports through window.webkit.messageHandlers.report (the text is written to the
// output file and the program ends); window.webkit.messageHandlers.raw echoes each message back
// through window.__rawReply, the raw channel the bridge's round trips are set against;
// window.webkit.messageHandlers.mark writes the text to the output file and goes on, and
// window.webkit.messageHandlers.close closes the window, which ends the program. The scheme
// bare:// answers bare://memory/N with N MiB from memory through the engine's custom scheme API,
// the most that API carries whatever a program's streams do.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* outputPath = nullptr;

// The message as text (report) or as JSON (raw).
std::string MessageText(WebKitJavascriptResult* result, bool asJson = false) {
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    char* text = asJson ? jsc_value_to_json(value, 0) : jsc_value_to_string(value);
    std::string copy = text ? text : "";
    g_free(text);
    return copy;
}

void Mark(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer) {
    if (FILE* file = std::fopen(outputPath, "w")) {
        const std::string text = MessageText(result);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

void Report(WebKitUserContentManager* manager, WebKitJavascriptResult* result, gpointer) {
    Mark(manager, result, nullptr);
    gtk_main_quit();
}

void AnswerFromMemory(WebKitURISchemeRequest* request, gpointer) {
    const gsize size = std::strtoull(webkit_uri_scheme_request_get_path(request) + 1, nullptr, 10) << 20;
    GBytes* bytes = g_bytes_new_take(g_malloc0(size), size);
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, static_cast<gint64>(size));
    webkit_uri_scheme_response_set_content_type(response, "application/octet-stream");
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Access-Control-Allow-Origin", "*");
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(stream);
    g_bytes_unref(bytes);
}

void Close(WebKitUserContentManager*, WebKitJavascriptResult*, gpointer window) {
    gtk_widget_destroy(GTK_WIDGET(window));
}

void Echo(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer view) {
    const std::string script = "window.__rawReply(" + MessageText(result, true) + ");";
    webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(view), script.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
                                        nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bare-webkit URL OUTPUT_FILE\n");
        return 2;
    }
    outputPath = argv[2];
    gtk_init(&argc, &argv);
    WebKitWebContext* context = webkit_web_context_get_default();
    webkit_web_context_register_uri_scheme(context, "bare", AnswerFromMemory, nullptr, nullptr);
    webkit_security_manager_register_uri_scheme_as_cors_enabled(webkit_web_context_get_security_manager(context),
                                                                "bare");
    WebKitUserContentManager* manager = webkit_user_content_manager_new();
    GtkWidget* view = webkit_web_view_new_with_user_content_manager(manager);
    webkit_user_content_manager_register_script_message_handler(manager, "report");
    webkit_user_content_manager_register_script_message_handler(manager, "raw");
    webkit_user_content_manager_register_script_message_handler(manager, "mark");
    webkit_user_content_manager_register_script_message_handler(manager, "close");
    g_signal_connect(manager, "script-message-received::report", G_CALLBACK(Report), nullptr);
    g_signal_connect(manager, "script-message-received::raw", G_CALLBACK(Echo), view);
    WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view));
    webkit_settings_set_allow_file_access_from_file_urls(settings, TRUE);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
    gtk_container_add(GTK_CONTAINER(window), view);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    g_signal_connect(manager, "script-message-received::mark", G_CALLBACK(Mark), nullptr);
    g_signal_connect(manager, "script-message-received::close", G_CALLBACK(Close), window);
    gtk_widget_show_all(window);
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[1]);
    gtk_main();
    g_object_unref(manager);
    return 0;
}
