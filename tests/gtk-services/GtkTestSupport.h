#pragma once
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

namespace zorv::test {

// GTK on the X display of $DISPLAY, opened once; false when there is none (the UI cases then
// skip; the 45-gtk-services stage runs them under Xvfb).
inline bool GtkReady() {
    static const bool ready = [] {
        g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
        g_setenv("GTK_USE_PORTAL", "0", TRUE);
        return gtk_init_check(nullptr, nullptr) == TRUE;
    }();
    return ready;
}

#define ZORV_REQUIRE_DISPLAY() \
    if (!::zorv::test::GtkReady()) GTEST_SKIP() << "no X display"

// Runs the main loop until `done` holds or the time is up; true when it holds.
inline bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(1000);
    }
    return true;
}

inline void Pump(std::chrono::milliseconds duration) {
    RunUntil([] { return false; }, duration);
}

// The first mapped top-level window for which `match` holds, or null.
inline GtkWindow* FindMappedWindow(const std::function<bool(GtkWindow*)>& match) {
    GList* windows = gtk_window_list_toplevels();
    GtkWindow* found = nullptr;
    for (GList* item = windows; item != nullptr && found == nullptr; item = item->next) {
        GtkWindow* window = GTK_WINDOW(item->data);
        if (gtk_widget_get_mapped(GTK_WIDGET(window)) && match(window)) found = window;
    }
    g_list_free(windows);
    return found;
}

// Once a mapped window matching `match` appears (typically inside a modal dialog's own loop),
// calls `act` with it once. Gives up after ten seconds so that a broken dialog cannot hang.
inline void WhenWindowAppears(std::function<bool(GtkWindow*)> match, std::function<void(GtkWindow*)> act) {
    struct TWatch {
        std::function<bool(GtkWindow*)> match;
        std::function<void(GtkWindow*)> act;
        int ticksLeft = 500;
    };
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, 20,
        [](gpointer data) -> gboolean {
            auto* watch = static_cast<TWatch*>(data);
            if (GtkWindow* window = FindMappedWindow(watch->match)) {
                watch->act(window);
                return G_SOURCE_REMOVE;
            }
            return --watch->ticksLeft > 0 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
        },
        new TWatch{std::move(match), std::move(act)}, [](gpointer data) { delete static_cast<TWatch*>(data); });
}

// Walks `root` depth-first and collects the widgets of type `type`.
inline void CollectWidgets(GtkWidget* root, GType type, std::vector<GtkWidget*>& found) {
    if (G_TYPE_CHECK_INSTANCE_TYPE(root, type)) found.push_back(root);
    if (GTK_IS_CONTAINER(root)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(root));
        for (GList* child = children; child != nullptr; child = child->next)
            CollectWidgets(GTK_WIDGET(child->data), type, found);
        g_list_free(children);
    }
}

inline std::vector<GtkWidget*> WidgetsOfType(GtkWidget* root, GType type) {
    std::vector<GtkWidget*> found;
    CollectWidgets(root, type, found);
    return found;
}

// Runs xdotool on the display (real input through the X server, as a user's keyboard and mouse).
inline void Xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("timeout 10 xdotool " + arguments).c_str()), 0) << arguments;
}

// The X window id of the widget's top-level window, in decimal.
std::string XidOf(GtkWidget* widget);

// Focuses the widget's window and presses and releases the keys, for example "Escape",
// "Return" or "ctrl+v". A window GTK has just mapped may not be viewable on the server yet, so
// focusing is retried for a while.
inline void FocusWindowOf(GtkWidget* widget) {
    const std::string focus = "timeout 10 xdotool windowfocus --sync " + XidOf(widget) + " 2>/dev/null";
    bool focused = false;
    for (int attempt = 0; attempt < 100 && !focused; ++attempt) {
        focused = std::system(focus.c_str()) == 0;
        if (!focused) Pump(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(focused) << "cannot focus the window";
}

inline void SendKey(GtkWidget* widget, const std::string& keys) {
    FocusWindowOf(widget);
    Xdotool("key " + keys);
}

inline GdkRGBA StyleColor(GtkWidget* widget, const char* property) {
    GtkStyleContext* context = gtk_widget_get_style_context(widget);
    GdkRGBA* color = nullptr;
    gtk_style_context_get(context, gtk_style_context_get_state(context), property, &color, nullptr);
    GdkRGBA result = *color;
    gdk_rgba_free(color);
    return result;
}

inline uint32_t Rgb(const GdkRGBA& color) {
    auto channel = [](double value) { return static_cast<uint32_t>(value * 255.0 + 0.5); };
    return channel(color.red) << 16 | channel(color.green) << 8 | channel(color.blue);
}

}  // namespace zorv::test
