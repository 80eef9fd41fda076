#include "XlibWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace zorv::test {

namespace {

void SetTitle(Display* display, Window window, const std::string& title) {
    XTextProperty property{};
    char* text = const_cast<char*>(title.c_str());
    Xutf8TextListToTextProperty(display, &text, 1, XUTF8StringStyle, &property);
    XSetWMName(display, window, &property);
    XFree(property.value);
}

}  // namespace

std::unique_ptr<TXlibWindow> TXlibWindow::Open(const std::string& title, bool map) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    std::unique_ptr<TXlibWindow> made(new TXlibWindow);
    made->FDisplay = display;
    made->FWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 100, 50, 0, 0, 0);
    SetTitle(display, made->FWindow, title);
    if (map) XMapWindow(display, made->FWindow);
    XSync(display, False);
    return made;
}

std::unique_ptr<TXlibWindow> TXlibWindow::OpenFramed(const std::string& frameTitle, const std::string& clientTitle) {
    std::unique_ptr<TXlibWindow> frame = Open(frameTitle, true);
    if (!frame) return nullptr;
    Display* display = static_cast<Display*>(frame->FDisplay);
    Window client = XCreateSimpleWindow(display, frame->FWindow, 0, 0, 100, 50, 0, 0, 0);
    SetTitle(display, client, clientTitle);
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    const long normalState[2] = {NormalState, 0};
    XChangeProperty(display, client, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(normalState), 2);
    XMapWindow(display, client);
    XSync(display, False);
    return frame;  // destroying the frame destroys the client with it
}

bool TXlibWindow::WindowManagerRunning() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const bool found = check != None &&
                       XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType,
                                          &type, &format, &count, &remaining, &data) == Success &&
                       count > 0;
    if (data != nullptr) XFree(data);
    XCloseDisplay(display);
    return found;
}

TXlibWindow::~TXlibWindow() {
    Display* display = static_cast<Display*>(FDisplay);
    XDestroyWindow(display, FWindow);
    XCloseDisplay(display);
}

}  // namespace zorv::test
