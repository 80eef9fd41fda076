#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/MenuBar.h"
#include "shared/Win32Handles.h"

namespace zorv {

class TWinThemeEngine;

// The main window's menu bar over a Win32 menu. Each ShowMenu builds a new menu from the model
// and puts it on the window in place of the old one. Item images are decoded from their encoded
// bytes at 16 by 16 pixels scaled with the window's DPI, and drawn grey for disabled items. The
// window is subclassed to hear its menu's clicks and DPI changes, so its owner wires nothing.
class TWinMenuBar final : public IMenuBar {
public:
    using TOwnerGetter = std::function<HWND()>;
    explicit TWinMenuBar(TOwnerGetter owner, TWinThemeEngine* theme = nullptr);
    ~TWinMenuBar() override;
    TWinMenuBar(const TWinMenuBar&) = delete;
    TWinMenuBar& operator=(const TWinMenuBar&) = delete;

    void ShowMenu(const TMenuModel& menu) override;
    void SetOnItemClick(std::function<void(int32_t tag)> handler) override;

    // For a WM_COMMAND's wParam: calls the click handler and answers true when the command is one
    // of this menu's items.
    bool HandleCommand(WPARAM wParam);
    HMENU Menu() const { return FMenu.Get(); }
    static int ImageSizeForDpi(UINT dpi);
    static constexpr UINT FirstCommandId = 0xA000;

private:
    using TBitmapHandle = TGdiObject<HBITMAP>;

    void Build(HWND window);
    void AppendItems(HMENU menu, const std::vector<TMenuItemModel>& items, int imageSize);
    HBITMAP ImageFor(int imageIndex, bool disabled, int imageSize);
    void Subclass(HWND window);
    void ReleaseWindow();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);

    TOwnerGetter FOwner;
    TWinThemeEngine* FTheme;
    std::function<void(int32_t)> FOnItemClick;
    TMenuModel FModel;
    TMenuHandle FMenu;
    std::map<std::pair<int, bool>, TBitmapHandle> FBitmaps;  // (image index, disabled) -> bitmap
    std::vector<int32_t> FCommandTags;                       // command id - FirstCommandId -> tag
    HWND FWindow = nullptr;                                  // the subclassed window
};

}  // namespace zorv
