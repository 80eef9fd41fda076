#include "backends/win32/Win11Forms.h"

namespace zorv {

namespace {
using TDwmSetWindowAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

TDwmSetWindowAttribute DwmSetWindowAttributeFunction() {
    // Loaded once for the life of the process, when the first window asks.
    static const TDwmSetWindowAttribute function = [] {
        HMODULE dwm = ::LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return dwm ? reinterpret_cast<TDwmSetWindowAttribute>(
                         reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmSetWindowAttribute")))
                   : nullptr;
    }();
    return function;
}
}  // namespace

int TWin11Form::CornerPreference(TRoundedCornerType formType) {
    return static_cast<int>(formType == TRoundedCornerType::rcDefault ? DefaultRoundedCorners : formType);
}

void TWin11Form::ApplyCornerPreference(HWND window, int preference) {
    if (!window) return;
    if (auto setAttribute = DwmSetWindowAttributeFunction()) {
        const INT32 value = preference;
        setAttribute(window, DwmWindowCornerPreference, &value, sizeof(value));
    }
}

void TWin11Form::SetRoundedCorners(TRoundedCornerType value) {
    FRoundedCorners = value;
    if (FCornerWindow && ::IsWindow(FCornerWindow)) ApplyCornerPreference(FCornerWindow, CornerPreference(value));
}

void TWin11Form::HandleCreated(HWND window) {
    FCornerWindow = window;
    ApplyCornerPreference(window, CornerPreference(FRoundedCorners));
}

}  // namespace zorv
