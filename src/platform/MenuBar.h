#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zorv {

// One item of the native main menu as the bridge describes it to the platform.
struct TMenuItemModel {
    int32_t tag = 0;
    std::string caption;
    bool enabled = true;
    int imageIndex = -1;      // into TMenuModel::images, -1 for none
    bool hasSubmenu = false;  // an item with a submenu (even an empty one) is not clickable
    std::vector<TMenuItemModel> items;
};

struct TMenuModel {
    std::vector<TMenuItemModel> items;
    std::vector<std::string> images;  // encoded image files (PNG, ...), index = image index
};

// The main window's menu bar. The bridge keeps the model and hands the whole of it over after each
// change; the platform renders it (images at 16x16, scaled with the DPI, grey when disabled).
class IMenuBar {
public:
    virtual ~IMenuBar() = default;
    virtual void ShowMenu(const TMenuModel& menu) = 0;
    // Called with the item's tag when the user picks an item without a submenu.
    virtual void SetOnItemClick(std::function<void(int32_t tag)> handler) = 0;
};

}  // namespace zorv
