// The baseline of the Linux benchmarks: the least a WebKitGTK program does to show a page from
// disk. A page reports through window.webkit.messageHandlers.report (the text is written to the
// output file and the program ends); window.webkit.messageHandlers.raw echoes each message back
// through window.__rawReply, the raw channel the bridge's round trips are set against.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
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

void Report(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer) {
    if (FILE* file = std::fopen(outputPath, "w")) {
        const std::string text = MessageText(result);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    gtk_main_quit();
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
    WebKitUserContentManager* manager = webkit_user_content_manager_new();
    GtkWidget* view = webkit_web_view_new_with_user_content_manager(manager);
    webkit_user_content_manager_register_script_message_handler(manager, "report");
    webkit_user_content_manager_register_script_message_handler(manager, "raw");
    g_signal_connect(manager, "script-message-received::report", G_CALLBACK(Report), nullptr);
    g_signal_connect(manager, "script-message-received::raw", G_CALLBACK(Echo), view);
    WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view));
    webkit_settings_set_allow_file_access_from_file_urls(settings, TRUE);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
    gtk_container_add(GTK_CONTAINER(window), view);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[1]);
    gtk_main();
    g_object_unref(manager);
    return 0;
}
