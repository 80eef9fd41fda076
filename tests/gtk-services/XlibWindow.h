#pragma once
#include <memory>
#include <string>

namespace zorv::test {

// A top-level X window with a title, made over a connection of its own (no GTK), for checking
// what the X server reports. Null from Open when there is no display.
class TXlibWindow {
public:
    static std::unique_ptr<TXlibWindow> Open(const std::string& title, bool map);
    ~TXlibWindow();
    TXlibWindow(const TXlibWindow&) = delete;
    TXlibWindow& operator=(const TXlibWindow&) = delete;

private:
    TXlibWindow() = default;
    void* display_ = nullptr;
    unsigned long window_ = 0;
};

}  // namespace zorv::test
