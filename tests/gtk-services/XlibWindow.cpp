#include "XlibWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace zorv::test {

std::unique_ptr<TXlibWindow> TXlibWindow::Open(const std::string& title, bool map) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    std::unique_ptr<TXlibWindow> made(new TXlibWindow);
    made->display_ = display;
    made->window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 100, 50, 0, 0, 0);
    XTextProperty property{};
    char* text = const_cast<char*>(title.c_str());
    Xutf8TextListToTextProperty(display, &text, 1, XUTF8StringStyle, &property);
    XSetWMName(display, made->window_, &property);
    XFree(property.value);
    if (map) XMapWindow(display, made->window_);
    XSync(display, False);
    return made;
}

TXlibWindow::~TXlibWindow() {
    Display* display = static_cast<Display*>(display_);
    XDestroyWindow(display, window_);
    XCloseDisplay(display);
}

}  // namespace zorv::test
