#pragma once
#include <memory>
#include <string>

namespace zorv::test {

// A top-level X window with a title, made over a connection of its own (no GTK), for checking
// what the X server reports. Null from Open when there is no display.
class TXlibWindow {
public:
    static std::unique_ptr<TXlibWindow> Open(const std::string& title, bool map);
    // A window manager's frame as reparenting managers make it: a titled top-level window that
    // holds the client window, which carries WM_STATE and a title of its own.
    static std::unique_ptr<TXlibWindow> OpenFramed(const std::string& frameTitle, const std::string& clientTitle);
    // Whether a window manager announces itself on the display: it then reparents top-level
    // windows into frames of its own, at a moment of its choosing.
    static bool WindowManagerRunning();
    ~TXlibWindow();
    TXlibWindow(const TXlibWindow&) = delete;
    TXlibWindow& operator=(const TXlibWindow&) = delete;

private:
    TXlibWindow() = default;
    void* FDisplay = nullptr;
    unsigned long FWindow = 0;
};

}  // namespace zorv::test
