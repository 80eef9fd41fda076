#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/MenuBar.h"

namespace zorv {

// Holds the native main menu that pages describe: its items and its image collection. The
// platform's IMenuBar renders what it holds.
class TBrowserExternalForm {
public:
    // Gives the bytes of the image a menu item names, or empty when there are none.
    using TImageSource = std::function<std::string(const std::string& path)>;
    explicit TBrowserExternalForm(TImageSource imageSource) : FImageSource(std::move(imageSource)) {}

    const TMenuModel& MainMenu() const { return FMainMenu; }
    TMenuModel& MainMenu() { return FMainMenu; }
    // Whether the menu has been made the main window's menu bar; once it is, it stays.
    bool IsAttached() const { return FAttached; }
    void Attach() { FAttached = true; }
    void ClearItems() { FMainMenu.items.clear(); }
    void ClearItemsAndImages();

    // Fills `menuItem` from one item object of a menu description. False when the object lacks
    // `caption` or `id`, or has an `items` member that is no array, at any depth. Throws
    // EBridgeError for a submenu element that is no object or an `enabled` that is no Boolean.
    bool BuildMenuItem(const nlohmann::json& item, TMenuItemModel& menuItem);
    // Adds the image the path names to the collection and gives it to the item; a path that names
    // nothing leaves the item as it is. Within one menu description each path is read once, and
    // items naming the same path share its image.
    void LoadMenuImage(const std::string& path, TMenuItemModel& menuItem);
    // Later images are read anew, as when a page changes an image file and updates an item.
    void ForgetImagePaths() { FImageIndexByPath.clear(); }
    // Depth-first, pre-order: the item itself, then its children in order.
    static TMenuItemModel* FindMenuItemByTag(TMenuItemModel& item, int32_t tag);
    // The name under which the image of that index is kept.
    static std::string ImageName(int index) { return "MainMenuImg" + std::to_string(index); }

private:
    TImageSource FImageSource;
    TMenuModel FMainMenu;
    std::map<std::string, int> FImageIndexByPath;  // -1: the path names no image
    bool FAttached = false;
};

// The value of an item's member as text, or nothing when it is absent or not a simple value.
std::optional<std::string> MenuMemberText(const nlohmann::json& item, const char* name);

}  // namespace zorv
