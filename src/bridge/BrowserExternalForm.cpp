#include "bridge/BrowserExternalForm.h"

#include "bridge/BridgeArguments.h"
#include "bridge/TextConvert.h"

namespace zorv {

std::optional<std::string> MenuMemberText(const nlohmann::json& item, const char* name) {
    const auto found = item.find(name);
    if (found == item.end() || found->is_null() || found->is_object() || found->is_array()) return std::nullopt;
    return JsonValueAsText(*found, name);
}

void TBrowserExternalForm::ClearItemsAndImages() {
    FMainMenu.items.clear();
    FMainMenu.images.clear();
    FImageIndexByPath.clear();
}

bool TBrowserExternalForm::BuildMenuItem(const nlohmann::json& item, TMenuItemModel& menuItem) {
    const std::optional<std::string> caption = MenuMemberText(item, "caption");
    const std::optional<std::string> id = MenuMemberText(item, "id");
    if (!caption || !id) return false;
    int32_t tag = 0;
    menuItem.tag = TTextConvert::TryStrToInt32(*id, tag) ? tag : 0;
    menuItem.caption = *caption;
    if (const std::optional<std::string> enabled = MenuMemberText(item, "enabled")) {
        bool value = true;
        if (!TTextConvert::TryStrToBool(*enabled, value)) {
            throw EBridgeError("Menu item member 'enabled' must be a Boolean (true or false)");
        }
        menuItem.enabled = value;
    }
    if (const std::optional<std::string> image = MenuMemberText(item, "image")) LoadMenuImage(*image, menuItem);
    const auto children = item.find("items");
    if (children == item.end()) return true;
    if (!children->is_array()) return false;
    menuItem.hasSubmenu = true;
    for (const nlohmann::json& child : *children) {
        if (!child.is_object()) throw EBridgeError("Menu items must be JSON objects");
        menuItem.items.emplace_back();
        if (!BuildMenuItem(child, menuItem.items.back())) return false;
    }
    return true;
}

void TBrowserExternalForm::LoadMenuImage(const std::string& path, TMenuItemModel& menuItem) {
    if (const auto known = FImageIndexByPath.find(path); known != FImageIndexByPath.end()) {
        if (known->second >= 0) menuItem.imageIndex = known->second;
        return;
    }
    std::string data = FImageSource ? FImageSource(path) : std::string();
    const int index = data.empty() ? -1 : static_cast<int>(FMainMenu.images.size());
    FImageIndexByPath.emplace(path, index);
    if (index < 0) return;
    menuItem.imageIndex = index;
    FMainMenu.images.push_back(std::move(data));
}

TMenuItemModel* TBrowserExternalForm::FindMenuItemByTag(TMenuItemModel& item, int32_t tag) {
    if (item.tag == tag) return &item;
    for (TMenuItemModel& child : item.items) {
        if (TMenuItemModel* found = FindMenuItemByTag(child, tag)) return found;
    }
    return nullptr;
}

}  // namespace zorv
