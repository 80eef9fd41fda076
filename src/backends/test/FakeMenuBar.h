#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>

#include "platform/MenuBar.h"

namespace zorv {

// A menu bar that keeps the last menu it was given and lets a test pick items.
class TFakeMenuBar : public IMenuBar {
public:
    void ShowMenu(const TMenuModel& menu) override {
        if (FShowFails) throw std::runtime_error("the bar is gone");
        FMenu = menu;
        ++FShowCount;
    }
    void SetOnItemClick(std::function<void(int32_t tag)> handler) override { FOnItemClick = std::move(handler); }

    // The menu shown last; nothing before the first ShowMenu.
    const std::optional<TMenuModel>& Menu() const { return FMenu; }
    int ShowCount() const { return FShowCount; }
    // ShowMenu throws, as a platform bar that cannot take the menu might.
    void SetShowFails(bool fails) { FShowFails = fails; }
    // The user picks the item with this tag.
    void Click(int32_t tag) const {
        if (FOnItemClick) FOnItemClick(tag);
    }
    bool HasClickHandler() const { return static_cast<bool>(FOnItemClick); }

private:
    std::optional<TMenuModel> FMenu;
    int FShowCount = 0;
    bool FShowFails = false;
    std::function<void(int32_t)> FOnItemClick;
};

}  // namespace zorv
