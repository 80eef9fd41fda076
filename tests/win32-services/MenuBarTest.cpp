#include <gtest/gtest.h>

#include <objbase.h>

#include <array>
#include <memory>

#include "TestEnvironment.h"
#include "backends/win32/WinMenuBar.h"
#include "backends/win32/WinThemeEngine.h"

namespace zorv::test {
namespace {

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateFrameWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZorvMenuTest";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"ZorvMenuTest", L"zorv menu test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

std::wstring ItemText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

MENUITEMINFOW ItemInfo(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_BITMAP | MIIM_FTYPE;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info;
}

// The pixel in the middle of a 32-bit DIB section, as B, G, R, A.
std::array<BYTE, 4> CentrePixel(HBITMAP bitmap) {
    DIBSECTION section{};
    GetObjectW(bitmap, sizeof(section), &section);
    const auto* bits = static_cast<const BYTE*>(section.dsBm.bmBits);
    const int middle = section.dsBm.bmHeight / 2;
    const BYTE* pixel = bits + middle * section.dsBm.bmWidthBytes + middle * 4;
    return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

TMenuItemModel Item(int32_t tag, const char* caption, bool enabled = true, int image = -1) {
    TMenuItemModel item;
    item.tag = tag;
    item.caption = caption;
    item.enabled = enabled;
    item.imageIndex = image;
    return item;
}

TMenuItemModel Submenu(int32_t tag, const char* caption, std::vector<TMenuItemModel> items) {
    TMenuItemModel item = Item(tag, caption);
    item.hasSubmenu = true;
    item.items = std::move(items);
    return item;
}

class MenuBarTest : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        FWindow = CreateFrameWindow();
        ASSERT_NE(FWindow, nullptr);
        FImage = ReadBytes(ProgramDir() + L"win32-services-data\\menu-image.png");
        ASSERT_FALSE(FImage.empty());
    }
    void TearDown() override {
        if (IsWindow(FWindow)) DestroyWindow(FWindow);
        CoUninitialize();
    }
    TMenuModel FileMenu() const {
        TMenuModel model;
        model.images = {FImage, "not an image"};
        TMenuItemModel file = Submenu(10, "&File",
                                      {Item(1, "&Open", true, 0), Item(0, "-"), Item(2, "E&xit", false, 0),
                                       Item(3, "Broken image", true, 1), Submenu(4, "Empty", {})});
        file.imageIndex = 0;
        model.items = {file, Item(7, "&Help")};
        return model;
    }

    HWND FWindow = nullptr;
    std::string FImage;
};

TEST_F(MenuBarTest, BuildsItemsSubmenusSeparatorsStatesAndImages) {
    TWinMenuBar menuBar([this] { return FWindow; });
    menuBar.ShowMenu(FileMenu());

    HMENU bar = GetMenu(FWindow);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(ItemText(bar, 0), L"&File");
    EXPECT_EQ(ItemText(bar, 1), L"&Help");
    HMENU file = GetSubMenu(bar, 0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(GetMenuItemCount(file), 5);
    EXPECT_TRUE(ItemInfo(file, 1).fType & MFT_SEPARATOR);

    const MENUITEMINFOW open = ItemInfo(file, 0), exit = ItemInfo(file, 2), broken = ItemInfo(file, 3);
    EXPECT_FALSE(open.fState & MFS_GRAYED);
    EXPECT_TRUE(exit.fState & MFS_GRAYED);
    ASSERT_NE(open.hbmpItem, nullptr);
    ASSERT_NE(exit.hbmpItem, nullptr);
    EXPECT_EQ(broken.hbmpItem, nullptr);  // undecodable data: no image, no failure

    BITMAP bitmap{};
    GetObjectW(open.hbmpItem, sizeof(bitmap), &bitmap);
    const int size = TWinMenuBar::ImageSizeForDpi(GetDpiForWindow(FWindow));
    EXPECT_EQ(bitmap.bmWidth, size);
    EXPECT_EQ(bitmap.bmHeight, size);
    EXPECT_EQ(bitmap.bmBitsPixel, 32);
    // #3366CC, opaque; the disabled image is grey and half transparent.
    EXPECT_EQ(CentrePixel(open.hbmpItem), (std::array<BYTE, 4>{0xCC, 0x66, 0x33, 0xFF}));
    const auto grey = CentrePixel(exit.hbmpItem);
    EXPECT_EQ(grey[0], grey[1]);
    EXPECT_EQ(grey[1], grey[2]);
    EXPECT_LT(grey[3], 0xFF);

    EXPECT_NE(ItemInfo(bar, 0).hbmpItem, nullptr);  // items with a submenu show their image too
    // An item with a submenu, even an empty one, is not clickable.
    EXPECT_NE(ItemInfo(file, 4).hSubMenu, nullptr);
}

TEST_F(MenuBarTest, ClickingAnItemReportsItsTag) {
    TWinMenuBar menuBar([this] { return FWindow; });
    std::vector<int32_t> clicked;
    menuBar.SetOnItemClick([&](int32_t tag) { clicked.push_back(tag); });
    menuBar.ShowMenu(FileMenu());

    HMENU bar = GetMenu(FWindow);
    HMENU file = GetSubMenu(bar, 0);
    SendMessageW(FWindow, WM_COMMAND, MAKEWPARAM(ItemInfo(file, 0).wID, 0), 0);
    SendMessageW(FWindow, WM_COMMAND, MAKEWPARAM(ItemInfo(bar, 1).wID, 0), 0);
    // Commands that are no items of this menu pass by.
    SendMessageW(FWindow, WM_COMMAND, MAKEWPARAM(1, 0), 0);
    SendMessageW(FWindow, WM_COMMAND, MAKEWPARAM(ItemInfo(file, 0).wID, 1), 0);
    EXPECT_EQ(clicked, (std::vector<int32_t>{1, 7}));
}

TEST_F(MenuBarTest, DuplicateTagsEachReportTheirOwn) {
    TWinMenuBar menuBar([this] { return FWindow; });
    std::vector<int32_t> clicked;
    menuBar.SetOnItemClick([&](int32_t tag) { clicked.push_back(tag); });
    TMenuModel model;
    model.items = {Item(5, "One"), Item(5, "Two"), Item(-1, "Minus")};
    menuBar.ShowMenu(model);
    HMENU bar = GetMenu(FWindow);
    for (UINT i = 0; i < 3; ++i) SendMessageW(FWindow, WM_COMMAND, MAKEWPARAM(ItemInfo(bar, i).wID, 0), 0);
    EXPECT_EQ(clicked, (std::vector<int32_t>{5, 5, -1}));
}

TEST_F(MenuBarTest, ANewMenuReplacesTheOldOne) {
    TWinMenuBar menuBar([this] { return FWindow; });
    menuBar.ShowMenu(FileMenu());
    HMENU first = GetMenu(FWindow);
    TMenuModel empty;
    menuBar.ShowMenu(empty);
    HMENU second = GetMenu(FWindow);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_FALSE(IsMenu(first));
    EXPECT_EQ(GetMenuItemCount(second), 0);
}

TEST_F(MenuBarTest, WindowDestroyedBeforeTheMenuBar) {
    auto menuBar = std::make_unique<TWinMenuBar>([this] { return FWindow; });
    menuBar->ShowMenu(FileMenu());
    HMENU menu = GetMenu(FWindow);
    DestroyWindow(FWindow);
    EXPECT_TRUE(IsMenu(menu));  // still owned by the menu bar, which releases it once
    menuBar.reset();
    EXPECT_FALSE(IsMenu(menu));
}

TEST_F(MenuBarTest, ThemedMenuGetsThePalettesBackground) {
    TWinThemeEngine theme;
    theme.RegisterWindow(FWindow);
    theme.ApplyTheme("Carbon");
    TWinMenuBar menuBar([this] { return FWindow; }, &theme);
    menuBar.ShowMenu(FileMenu());

    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND;
    ASSERT_TRUE(GetMenuInfo(GetMenu(FWindow), &info));
    ASSERT_NE(info.hbrBack, nullptr);
    LOGBRUSH brush{};
    GetObjectW(info.hbrBack, sizeof(brush), &brush);
    EXPECT_EQ(brush.lbColor, TWinThemeEngine::FindPalette("Carbon")->menuBackground);
}

TEST(MenuImageSize, ScalesSixteenPixelsWithTheDpi) {
    const std::pair<UINT, int> cases[] = {{96, 16}, {120, 20}, {144, 24}, {192, 32}, {0, 16}};
    for (const auto& [dpi, size] : cases) EXPECT_EQ(TWinMenuBar::ImageSizeForDpi(dpi), size) << dpi;
}

}  // namespace
}  // namespace zorv::test
