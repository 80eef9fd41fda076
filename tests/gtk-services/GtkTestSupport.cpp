#include "GtkTestSupport.h"

// Xlib's macros stay out of the test sources.
#include <gdk/gdkx.h>

namespace zorv::test {

std::string XidOf(GtkWidget* widget) {
    GdkWindow* window = gtk_widget_get_window(gtk_widget_get_toplevel(widget));
    return std::to_string(gdk_x11_window_get_xid(window));
}

}  // namespace zorv::test
