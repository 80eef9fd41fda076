#include "backends/win32/WinThemeEngine.h"

#include <commctrl.h>
#include <dwmapi.h>

#include <algorithm>
#include <optional>

namespace zorv {

namespace {

// Window attributes of the desktop window manager that older SDK headers lack.
constexpr DWORD DwmUseImmersiveDarkMode = 20;
constexpr DWORD DwmCaptionColor = 35;
constexpr DWORD DwmTextColor = 36;
constexpr COLORREF DwmColorDefault = 0xFFFFFFFF;
constexpr UINT_PTR SubclassId = 0x7A6F7276;  // "zorv"

void SetWindowColours(HWND window, BOOL dark, COLORREF caption, COLORREF captionText) {
    DwmSetWindowAttribute(window, DwmUseImmersiveDarkMode, &dark, sizeof(dark));
    DwmSetWindowAttribute(window, DwmCaptionColor, &caption, sizeof(caption));
    DwmSetWindowAttribute(window, DwmTextColor, &captionText, sizeof(captionText));
}

}  // namespace

const std::vector<TWinStyleColours>& TWinThemeEngine::Palettes() {
    // style, dark title bar, caption, caption text, background, text, menu background
    static const std::vector<TWinStyleColours> palettes = {
        {TStyle::Amakrits, true, RGB(45, 45, 48), RGB(255, 170, 60), RGB(58, 58, 62), RGB(235, 235, 235),
         RGB(240, 228, 210)},
        {TStyle::AmethystKamri, false, RGB(120, 80, 160), RGB(255, 255, 255), RGB(236, 228, 244), RGB(40, 20, 60),
         RGB(225, 212, 238)},
        {TStyle::AquaGraphite, true, RGB(60, 66, 72), RGB(130, 210, 240), RGB(74, 80, 86), RGB(230, 236, 240),
         RGB(214, 226, 234)},
        {TStyle::AquaLightSlate, false, RGB(96, 150, 190), RGB(255, 255, 255), RGB(226, 236, 244), RGB(30, 44, 60),
         RGB(210, 226, 238)},
        {TStyle::Auric, true, RGB(40, 36, 30), RGB(230, 190, 90), RGB(52, 48, 40), RGB(240, 226, 190),
         RGB(238, 226, 196)},
        {TStyle::Carbon, true, RGB(30, 30, 30), RGB(200, 200, 200), RGB(42, 42, 42), RGB(220, 220, 220),
         RGB(214, 214, 214)},
        {TStyle::CharcoalDarkSlate, true, RGB(47, 52, 58), RGB(210, 215, 220), RGB(60, 66, 72), RGB(220, 224, 228),
         RGB(205, 210, 216)},
        {TStyle::CobaltXEMedia, true, RGB(20, 50, 100), RGB(180, 210, 255), RGB(28, 62, 120), RGB(230, 238, 255),
         RGB(200, 214, 240)},
        {TStyle::CyanDusk, true, RGB(30, 60, 70), RGB(120, 230, 240), RGB(40, 76, 88), RGB(220, 244, 248),
         RGB(200, 232, 236)},
        {TStyle::CyanNight, true, RGB(16, 32, 40), RGB(80, 220, 235), RGB(24, 44, 54), RGB(200, 240, 246),
         RGB(190, 226, 232)},
        {TStyle::EmeraldLightSlate, false, RGB(40, 140, 100), RGB(255, 255, 255), RGB(226, 242, 234), RGB(20, 60, 40),
         RGB(208, 234, 220)},
        {TStyle::Glossy, true, RGB(20, 20, 24), RGB(255, 255, 255), RGB(36, 36, 42), RGB(240, 240, 244),
         RGB(224, 224, 232)},
        {TStyle::Glow, true, RGB(34, 36, 44), RGB(120, 200, 255), RGB(44, 47, 58), RGB(225, 232, 245),
         RGB(212, 222, 240)},
        {TStyle::GoldenGraphite, true, RGB(56, 56, 56), RGB(240, 200, 80), RGB(70, 70, 70), RGB(245, 232, 200),
         RGB(236, 226, 196)},
        {TStyle::IcebergClassico, false, RGB(170, 200, 220), RGB(20, 40, 60), RGB(236, 244, 250), RGB(20, 40, 60),
         RGB(222, 234, 244)},
        {TStyle::LavenderClassico, false, RGB(170, 150, 200), RGB(30, 20, 50), RGB(240, 236, 248), RGB(40, 30, 60),
         RGB(228, 222, 242)},
        {TStyle::Light, false, RGB(240, 240, 240), RGB(0, 0, 0), RGB(252, 252, 252), RGB(0, 0, 0), RGB(246, 246, 246)},
        {TStyle::Luna, false, RGB(0, 84, 227), RGB(255, 255, 255), RGB(236, 233, 216), RGB(0, 0, 0),
         RGB(236, 233, 216)},
        {TStyle::MetropolisUIBlack, true, RGB(0, 0, 0), RGB(255, 255, 255), RGB(17, 17, 17), RGB(240, 240, 240),
         RGB(220, 220, 220)},
        {TStyle::MetropolisUIBlue, true, RGB(0, 90, 158), RGB(255, 255, 255), RGB(0, 72, 128), RGB(240, 246, 255),
         RGB(200, 222, 242)},
        {TStyle::MetropolisUIDark, true, RGB(29, 29, 29), RGB(0, 171, 240), RGB(38, 38, 38), RGB(230, 230, 230),
         RGB(210, 226, 236)},
        {TStyle::MetropolisUIGreen, true, RGB(0, 110, 60), RGB(255, 255, 255), RGB(0, 92, 50), RGB(236, 250, 242),
         RGB(204, 234, 216)},
        {TStyle::Obsidian, true, RGB(22, 24, 28), RGB(160, 170, 190), RGB(32, 35, 40), RGB(210, 216, 226),
         RGB(206, 210, 220)},
        {TStyle::OnyxBlue, true, RGB(18, 26, 40), RGB(100, 160, 255), RGB(26, 36, 54), RGB(214, 226, 246),
         RGB(200, 212, 236)},
        {TStyle::RubyGraphite, true, RGB(60, 56, 58), RGB(230, 70, 90), RGB(72, 68, 70), RGB(240, 226, 230),
         RGB(236, 214, 218)},
        {TStyle::SapphireKamri, false, RGB(40, 80, 150), RGB(255, 255, 255), RGB(224, 232, 246), RGB(16, 30, 60),
         RGB(208, 220, 240)},
        {TStyle::Silver, false, RGB(192, 192, 196), RGB(20, 20, 20), RGB(232, 232, 234), RGB(20, 20, 20),
         RGB(220, 220, 224)},
        {TStyle::Sky, false, RGB(120, 180, 230), RGB(10, 30, 60), RGB(232, 242, 252), RGB(10, 30, 60),
         RGB(216, 232, 248)},
        {TStyle::SlateClassico, false, RGB(112, 128, 144), RGB(255, 255, 255), RGB(226, 230, 234), RGB(30, 36, 42),
         RGB(214, 220, 226)},
        {TStyle::SmokeyQuartzKamri, false, RGB(130, 116, 104), RGB(255, 255, 255), RGB(238, 232, 226), RGB(50, 40, 32),
         RGB(226, 218, 210)},
        {TStyle::TabletDark, true, RGB(32, 32, 32), RGB(255, 255, 255), RGB(48, 48, 48), RGB(250, 250, 250),
         RGB(226, 226, 226)},
        {TStyle::TabletLight, false, RGB(250, 250, 250), RGB(40, 40, 40), RGB(255, 255, 255), RGB(30, 30, 30),
         RGB(250, 250, 250)},
        {TStyle::TurquoiseGray, false, RGB(64, 180, 176), RGB(255, 255, 255), RGB(230, 236, 236), RGB(30, 50, 50),
         RGB(214, 232, 230)},
        {TStyle::Windows10, false, RGB(255, 255, 255), RGB(0, 0, 0), RGB(240, 240, 240), RGB(0, 0, 0),
         RGB(242, 242, 242)},
        {TStyle::Windows10Blue, false, RGB(0, 120, 215), RGB(255, 255, 255), RGB(234, 242, 250), RGB(0, 0, 0),
         RGB(222, 236, 250)},
        {TStyle::Windows10Dark, true, RGB(32, 32, 32), RGB(255, 255, 255), RGB(43, 43, 43), RGB(255, 255, 255),
         RGB(218, 218, 218)},
        {TStyle::Windows10Green, false, RGB(16, 124, 16), RGB(255, 255, 255), RGB(234, 246, 234), RGB(0, 0, 0),
         RGB(220, 240, 220)},
        {TStyle::Windows10Purple, false, RGB(104, 33, 122), RGB(255, 255, 255), RGB(242, 234, 246), RGB(0, 0, 0),
         RGB(232, 220, 238)},
        {TStyle::Windows10SlateGray, false, RGB(81, 92, 107), RGB(255, 255, 255), RGB(232, 234, 238), RGB(0, 0, 0),
         RGB(220, 224, 230)},
    };
    return palettes;
}

const TWinStyleColours* TWinThemeEngine::FindPalette(std::string_view catalogueName) {
    const std::optional<TStyle> style = TStylesUtils::StyleNamed(catalogueName);
    for (const TWinStyleColours& palette : Palettes())
        if (style == palette.style) return &palette;
    return nullptr;
}

TWinThemeEngine::~TWinThemeEngine() {
    for (HWND window : FWindows) RemoveWindowSubclass(window, PaintProc, SubclassId);
}

void TWinThemeEngine::ApplyTheme(const std::string& catalogueName) {
    const TWinStyleColours* palette = FindPalette(catalogueName);
    if (palette == FActive) return;
    FActive = palette;
    ReplaceBrushes();
    for (HWND window : FWindows) ApplyToWindow(window);
}

void TWinThemeEngine::RegisterWindow(HWND window) {
    if (!window || std::find(FWindows.begin(), FWindows.end(), window) != FWindows.end()) return;
    FWindows.push_back(window);
    SetWindowSubclass(window, PaintProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
    if (FActive) ApplyToWindow(window);
}

void TWinThemeEngine::UnregisterWindow(HWND window) {
    const auto found = std::find(FWindows.begin(), FWindows.end(), window);
    if (found == FWindows.end()) return;
    FWindows.erase(found);
    RemoveWindowSubclass(window, PaintProc, SubclassId);
}

void TWinThemeEngine::ReplaceBrushes() {
    // The menus and windows still use the old brushes until they are repainted below, so the new
    // ones are made first.
    const TGdiObject<HBRUSH> oldBackground = std::move(FBackgroundBrush), oldMenu = std::move(FMenuBrush);
    FBackgroundBrush.Reset(FActive ? CreateSolidBrush(FActive->background) : nullptr);
    FMenuBrush.Reset(FActive ? CreateSolidBrush(FActive->menuBackground) : nullptr);
    for (HWND window : FWindows) ApplyToMenu(window);
}

void TWinThemeEngine::ApplyToMenu(HWND window) const {
    HMENU menu = GetMenu(window);
    if (!menu) return;
    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    info.hbrBack = FMenuBrush.Get();  // null restores the system's colour
    SetMenuInfo(menu, &info);
    DrawMenuBar(window);
}

void TWinThemeEngine::ApplyToWindow(HWND window) const {
    if (FActive)
        SetWindowColours(window, FActive->darkTitleBar, FActive->caption, FActive->captionText);
    else
        SetWindowColours(window, FALSE, DwmColorDefault, DwmColorDefault);
    ApplyToMenu(window);
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

LRESULT CALLBACK TWinThemeEngine::PaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR self) {
    auto* engine = reinterpret_cast<TWinThemeEngine*>(self);
    const TWinStyleColours* palette = engine->FActive;
    switch (message) {
        case WM_ERASEBKGND:
            if (palette) {
                RECT client;
                GetClientRect(window, &client);
                FillRect(reinterpret_cast<HDC>(wParam), &client, engine->FBackgroundBrush.Get());
                return 1;
            }
            break;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (palette) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, palette->text);
                SetBkColor(dc, palette->background);
                return reinterpret_cast<LRESULT>(engine->FBackgroundBrush.Get());
            }
            break;
        case WM_NCDESTROY: engine->UnregisterWindow(window); break;
        default: break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace zorv
