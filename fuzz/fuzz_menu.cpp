// Menu descriptions for zorv.mainMenu.setItems as a page could pass them, followed by an update
// and a click of every item the menu ended up with.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "FuzzBridgeHost.h"
#include "FuzzSandbox.h"

namespace {

std::string Call(int id, nlohmann::json data) {
    const nlohmann::json message = {{"id", id}, {"uuid", "menu-1"}, {"data", std::move(data)}};
    // Pages hand over valid UTF-8 only; the engine has replaced anything else by then.
    return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void UpdateAndClick(zorv::test::TFuzzBridgeHost& host, const std::vector<zorv::TMenuItemModel>& items) {
    for (const zorv::TMenuItemModel& item : items) {
        host.Post(
            Call(12002, {{"id", std::to_string(item.tag)}, {"caption", item.caption + "!"}, {"enabled", "FALSE"}}));
        host.menuBar.Click(item.tag);
        UpdateAndClick(host, item.items);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string description(reinterpret_cast<const char*>(data), size);
    const std::string setItems = Call(12001, {{"items", description}});
    if (!zorv::test::IsContainedMessage(setItems)) return -1;

    zorv::test::TFuzzBridgeHost host;
    host.Post(setItems);
    if (const auto& menu = host.menuBar.Menu()) {
        // Each shown image is one that the module loaded; indices point into the list.
        for (const zorv::TMenuItemModel& item : menu->items) {
            if (item.imageIndex >= static_cast<int>(menu->images.size())) std::abort();
        }
        const std::vector<zorv::TMenuItemModel> items = menu->items;
        UpdateAndClick(host, items);
    }
    return 0;
}
