#include "WindowWatcher.h"

#include <vector>

namespace zorv::test {

TWindowWatcher::TWindowWatcher(std::wstring windowClass, std::wstring title, TAction action)
    : FClass(std::move(windowClass)), FTitle(std::move(title)), FAction(std::move(action)) {
    FThread = std::thread([this] {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            HWND window = FindWindowW(FClass.empty() ? nullptr : FClass.c_str(), FTitle.c_str());
            if (window && IsWindowVisible(window)) {
                Sleep(50);  // let the dialog finish its initialisation
                FFound = true;
                FAction(window);
                CloseIfStillOpen(window);
                return;
            }
            Sleep(20);
        }
    });
}

// A window that the action failed to close would leave the test's thread in its modal loop for
// good; cancel it so that the test fails instead of hanging.
void TWindowWatcher::CloseIfStillOpen(HWND window) {
    for (int attempt = 0; attempt < 500 && IsWindow(window); ++attempt) Sleep(20);
    if (!IsWindow(window)) return;
    FLeftOpen = true;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
}

TWindowWatcher::~TWindowWatcher() {
    if (FThread.joinable()) FThread.join();
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::vector<std::wstring> ChildTexts(HWND window, const wchar_t* childClass) {
    std::vector<std::wstring> texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        GetClassNameW(child, className, 64);
        if (lstrcmpiW(className, childClass) == 0) texts.push_back(WindowText(child));
    }
    return texts;
}

HWND ChildWithText(HWND window, const wchar_t* childClass, const std::wstring& text) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        GetClassNameW(child, className, 64);
        if (lstrcmpiW(className, childClass) == 0 && WindowText(child) == text) return child;
    }
    return nullptr;
}

}  // namespace zorv::test
