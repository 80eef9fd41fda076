#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/ThemeEngine.h"
#include "shared/StylesUtils.h"
#include "shared/Win32Handles.h"

namespace zorv {

// The look of one catalogue style with the means Windows offers without style files: a dark or
// light title bar, caption and caption-text colours, and the colours of window backgrounds,
// their text, and menus.
struct TWinStyleColours {
    TStyle style;
    bool darkTitleBar;
    COLORREF caption;
    COLORREF captionText;
    COLORREF background;
    COLORREF text;
    COLORREF menuBackground;
};

// Renders the catalogue's themes on the windows registered with it, switching at once. "Windows"
// (or any name without a palette) is the system's own look. Registered windows are subclassed to
// paint their background and the text of their dialog controls; the main window registers itself
// on creation, and a window that is destroyed leaves the set by itself.
class TWinThemeEngine final : public IThemeEngine {
public:
    TWinThemeEngine() = default;
    ~TWinThemeEngine() override;
    TWinThemeEngine(const TWinThemeEngine&) = delete;
    TWinThemeEngine& operator=(const TWinThemeEngine&) = delete;

    void ApplyTheme(const std::string& catalogueName) override;
    void RegisterWindow(HWND window);
    void UnregisterWindow(HWND window);
    // Paints the window's menu bar in the active theme; the menu bar calls it after replacing
    // the window's menu.
    void ApplyToMenu(HWND window) const;

    // Null while the system look is active.
    const TWinStyleColours* ActivePalette() const { return FActive; }
    const std::vector<HWND>& Windows() const { return FWindows; }
    // The palettes of the 39 styles; the system look "Windows" has none.
    static const std::vector<TWinStyleColours>& Palettes();
    static const TWinStyleColours* FindPalette(std::string_view catalogueName);

private:
    void ApplyToWindow(HWND window) const;
    void ReplaceBrushes();
    static LRESULT CALLBACK PaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);

    std::vector<HWND> FWindows;
    const TWinStyleColours* FActive = nullptr;
    TGdiObject<HBRUSH> FBackgroundBrush;  // none with the system look
    TGdiObject<HBRUSH> FMenuBrush;        // none with the system look
};

}  // namespace zorv
