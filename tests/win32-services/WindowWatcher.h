#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace zorv::test {

// Waits on a thread of its own for a top-level window with the given class and title to appear,
// then acts on it, while the test's thread sits in the modal loop that shows the window. Gives up
// after 20 s so that a dialog that never appears fails the test instead of hanging it.
class TWindowWatcher {
public:
    using TAction = std::function<void(HWND window)>;
    TWindowWatcher(std::wstring windowClass, std::wstring title, TAction action);
    ~TWindowWatcher();
    TWindowWatcher(const TWindowWatcher&) = delete;
    TWindowWatcher& operator=(const TWindowWatcher&) = delete;
    bool Found() const { return FFound; }
    // True when the window was still open 10 s after the action and had to be cancelled.
    bool LeftOpen() const { return FLeftOpen; }

private:
    std::wstring FClass, FTitle;
    TAction FAction;
    void CloseIfStillOpen(HWND window);
    bool FFound = false;
    bool FLeftOpen = false;
    std::thread FThread;
};

std::wstring WindowText(HWND window);
// The texts of the window's direct children of the given class, in creation order.
std::vector<std::wstring> ChildTexts(HWND window, const wchar_t* childClass);
HWND ChildWithText(HWND window, const wchar_t* childClass, const std::wstring& text);

}  // namespace zorv::test
