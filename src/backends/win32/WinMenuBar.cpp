#include "backends/win32/WinMenuBar.h"

#include <commctrl.h>

#include "backends/win32/WicImage.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinThemeEngine.h"

namespace zorv {

namespace {

constexpr UINT_PTR SubclassId = 0x6D656E75;  // "menu"
constexpr UINT LastCommandId = 0xFFFF;

bool IsSeparatorCaption(const std::string& caption) { return caption == "-"; }

}  // namespace

TWinMenuBar::TWinMenuBar(TOwnerGetter owner, TWinThemeEngine* theme) : FOwner(std::move(owner)), FTheme(theme) {}

TWinMenuBar::~TWinMenuBar() { ReleaseWindow(); }

int TWinMenuBar::ImageSizeForDpi(UINT dpi) { return MulDiv(16, static_cast<int>(dpi == 0 ? 96 : dpi), 96); }

void TWinMenuBar::SetOnItemClick(std::function<void(int32_t tag)> handler) { FOnItemClick = std::move(handler); }

void TWinMenuBar::ShowMenu(const TMenuModel& menu) {
    FModel = menu;
    HWND window = FOwner ? FOwner() : nullptr;
    if (!window) return;
    if (window != FWindow) {
        ReleaseWindow();
        Subclass(window);
    }
    Build(window);
}

void TWinMenuBar::Build(HWND window) {
    const int imageSize = ImageSizeForDpi(GetDpiForWindow(window));
    std::map<std::pair<int, bool>, TBitmapHandle> oldBitmaps;
    oldBitmaps.swap(FBitmaps);
    FCommandTags.clear();

    TMenuHandle menu(CreateMenu());
    if (!menu) return;
    AppendItems(menu.Get(), FModel.items, imageSize);
    SetMenu(window, menu.Get());
    // The old menu and its images go only once the window no longer shows them.
    FMenu = std::move(menu);
    if (FTheme) FTheme->ApplyToMenu(window);
    DrawMenuBar(window);
}

void TWinMenuBar::AppendItems(HMENU menu, const std::vector<TMenuItemModel>& items, int imageSize) {
    for (const TMenuItemModel& item : items) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        if (IsSeparatorCaption(item.caption) && !item.hasSubmenu) {
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_SEPARATOR;
            InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
            continue;
        }
        std::wstring caption = TWinText::Utf8ToWide(item.caption);
        info.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
        info.fType = MFT_STRING;
        info.dwTypeData = caption.data();
        info.fState = item.enabled ? MFS_ENABLED : MFS_GRAYED;
        if (HBITMAP image = ImageFor(item.imageIndex, !item.enabled, imageSize)) {
            info.fMask |= MIIM_BITMAP;
            info.hbmpItem = image;
        }
        if (item.hasSubmenu) {
            TMenuHandle submenu(CreatePopupMenu());
            AppendItems(submenu.Get(), item.items, imageSize);
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = submenu.Get();
            // The parent menu owns the submenu from here on.
            if (InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info)) submenu.Release();
            continue;
        }
        const UINT id = FirstCommandId + static_cast<UINT>(FCommandTags.size());
        if (id <= LastCommandId) {
            info.fMask |= MIIM_ID;
            info.wID = id;
            FCommandTags.push_back(item.tag);
        }
        InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
    }
}

HBITMAP TWinMenuBar::ImageFor(int imageIndex, bool disabled, int imageSize) {
    if (imageIndex < 0 || static_cast<size_t>(imageIndex) >= FModel.images.size()) return nullptr;
    auto& slot = FBitmaps[{imageIndex, disabled}];
    // Data that is no decodable image leaves the item without one.
    if (!slot)
        slot.Reset(TWicImage::DecodeToBitmap(FModel.images[static_cast<size_t>(imageIndex)], imageSize, disabled));
    return slot.Get();
}

bool TWinMenuBar::HandleCommand(WPARAM wParam) {
    if (HIWORD(wParam) != 0) return false;  // accelerators and control notifications
    const UINT id = LOWORD(wParam);
    if (id < FirstCommandId || id - FirstCommandId >= FCommandTags.size()) return false;
    if (FOnItemClick) FOnItemClick(FCommandTags[id - FirstCommandId]);
    return true;
}

void TWinMenuBar::Subclass(HWND window) {
    if (SetWindowSubclass(window, WindowProc, SubclassId, reinterpret_cast<DWORD_PTR>(this))) FWindow = window;
}

void TWinMenuBar::ReleaseWindow() {
    if (!FWindow) return;
    // The window would destroy the menu it shows; take it back first, since this object owns it.
    if (IsWindow(FWindow)) {
        if (GetMenu(FWindow) == FMenu.Get()) SetMenu(FWindow, nullptr);
        RemoveWindowSubclass(FWindow, WindowProc, SubclassId);
    }
    FWindow = nullptr;
}

LRESULT CALLBACK TWinMenuBar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
    auto* menuBar = reinterpret_cast<TWinMenuBar*>(self);
    switch (message) {
        case WM_COMMAND:
            if (lParam == 0 && menuBar->HandleCommand(wParam)) return 0;
            break;
        case WM_DPICHANGED: {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            if (menuBar->FMenu) menuBar->Build(window);
            return result;
        }
        case WM_DESTROY: menuBar->ReleaseWindow(); break;
        default: break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace zorv
