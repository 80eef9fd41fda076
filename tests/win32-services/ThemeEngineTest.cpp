#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "backends/win32/WinThemeEngine.h"
#include "shared/StylesUtils.h"

namespace zorv::test {
namespace {

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreatePlainWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZorvThemeTest";  // no class brush: unthemed erasing paints nothing
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"ZorvThemeTest", L"zorv theme test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    SetMenu(window, CreateMenu());
    return window;
}

// The colour the window's background erasing leaves on a canvas first filled with a marker.
COLORREF ErasedColour(HWND window) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 200, 150);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, canvas);
    RECT all{0, 0, 200, 150};
    HBRUSH marker = CreateSolidBrush(RGB(1, 2, 3));
    FillRect(dc, &all, marker);
    DeleteObject(marker);
    SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const COLORREF colour = GetPixel(dc, 10, 10);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    return colour;
}

HBRUSH MenuBrush(HWND window) {
    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND;
    GetMenuInfo(GetMenu(window), &info);
    return info.hbrBack;
}

COLORREF BrushColour(HBRUSH brush) {
    LOGBRUSH logBrush{};
    GetObjectW(brush, sizeof(logBrush), &logBrush);
    return logBrush.lbColor;
}

class ThemeEngineTest : public testing::Test {
protected:
    void SetUp() override {
        FWindow = CreatePlainWindow();
        ASSERT_NE(FWindow, nullptr);
    }
    void TearDown() override {
        if (IsWindow(FWindow)) DestroyWindow(FWindow);
    }
    HWND FWindow = nullptr;
};

TEST(ThemePalettes, EveryCatalogueStyleHasALookOfItsOwn) {
    std::vector<std::string> names;
    TStylesUtils::GetAvailables(names, TStylesUtils::TOrder::Sorted);
    ASSERT_EQ(names.size(), 40u);
    std::set<std::tuple<bool, COLORREF, COLORREF, COLORREF, COLORREF, COLORREF>> looks;
    for (const std::string& name : names) {
        const TWinStyleColours* palette = TWinThemeEngine::FindPalette(name);
        if (name == "Windows") {
            EXPECT_EQ(palette, nullptr);
            continue;
        }
        ASSERT_NE(palette, nullptr) << name;
        looks.insert({palette->darkTitleBar, palette->caption, palette->captionText, palette->background, palette->text,
                      palette->menuBackground});
    }
    EXPECT_EQ(looks.size(), 39u);
    EXPECT_EQ(TWinThemeEngine::Palettes().size(), 39u);
}

TEST_F(ThemeEngineTest, SwitchesRegisteredWindowsAtOnceAndBack) {
    TWinThemeEngine engine;
    engine.RegisterWindow(FWindow);
    EXPECT_EQ(ErasedColour(FWindow), RGB(1, 2, 3));

    engine.ApplyTheme("Carbon");
    const TWinStyleColours* carbon = TWinThemeEngine::FindPalette("Carbon");
    EXPECT_EQ(engine.ActivePalette(), carbon);
    EXPECT_EQ(ErasedColour(FWindow), carbon->background);
    EXPECT_EQ(BrushColour(MenuBrush(FWindow)), carbon->menuBackground);

    engine.ApplyTheme("Windows10 Blue");
    const TWinStyleColours* blue = TWinThemeEngine::FindPalette("Windows10 Blue");
    EXPECT_EQ(ErasedColour(FWindow), blue->background);
    EXPECT_EQ(BrushColour(MenuBrush(FWindow)), blue->menuBackground);

    engine.ApplyTheme("Windows");
    EXPECT_EQ(engine.ActivePalette(), nullptr);
    EXPECT_EQ(ErasedColour(FWindow), RGB(1, 2, 3));
    EXPECT_EQ(MenuBrush(FWindow), nullptr);
}

TEST_F(ThemeEngineTest, DialogControlsTakeTheThemesTextColour) {
    TWinThemeEngine engine;
    engine.ApplyTheme("Metropolis UI Black");
    engine.RegisterWindow(FWindow);  // a window registered later gets the active theme too
    HDC dc = GetDC(FWindow);
    const auto brush =
        reinterpret_cast<HBRUSH>(SendMessageW(FWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0));
    const COLORREF text = GetTextColor(dc);
    ReleaseDC(FWindow, dc);
    const TWinStyleColours* palette = TWinThemeEngine::FindPalette("Metropolis UI Black");
    EXPECT_EQ(text, palette->text);
    EXPECT_EQ(BrushColour(brush), palette->background);
}

TEST_F(ThemeEngineTest, DestroyedWindowsLeaveTheSet) {
    TWinThemeEngine engine;
    engine.RegisterWindow(FWindow);
    engine.RegisterWindow(FWindow);
    ASSERT_EQ(engine.Windows().size(), 1u);
    DestroyWindow(FWindow);
    EXPECT_TRUE(engine.Windows().empty());
    engine.ApplyTheme("Luna");  // nothing left to paint, nothing to fail
}

}  // namespace
}  // namespace zorv::test
