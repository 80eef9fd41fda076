#include "runtime/WindowSettings.h"

#include <algorithm>

#include "shared/MemIniFile.h"
#include "shared/ProjectSettings.h"
#include "shared/SettingsSchema.h"

namespace zorv {

namespace {

TBorderStyle BorderFromSetting(int value) {
    if (value < 0 || value > 5) return TBorderStyle::Sizeable;
    return static_cast<TBorderStyle>(value);
}

// A negative limit would make the window unusable; it means "no limit" like 0. A positive one
// stays within the sizes a window can have.
int Limit(int value) { return value <= 0 ? 0 : std::clamp(value, TWindowSettings::MinSize, TWindowSettings::MaxSize); }

// A size the window can be shown with: none given (0 or less) is the default, anything else is
// kept between the smallest usable size and the largest window the display systems allow.
int Size(int value, int def) {
    return value <= 0 ? def : std::clamp(value, TWindowSettings::MinSize, TWindowSettings::MaxSize);
}

// Within the limits, a minimum above the maximum giving way to the maximum.
void ApplyLimits(int& size, int& min, int max) {
    if (max > 0 && min > max) min = max;
    if (max > 0) size = std::min(size, max);
    size = std::max(size, min);
}

}  // namespace

std::string TWindowSettings::TitleForWindowManager(const std::string& title) {
    if (title.size() <= MaxTitleBytes) return title;
    std::size_t end = MaxTitleBytes;
    // Never through a UTF-8 sequence: back up over continuation bytes.
    while (end > 0 && (static_cast<unsigned char>(title[end]) & 0xC0) == 0x80) --end;
    return title.substr(0, end);
}

TWindowSettings TWindowSettings::FromIni(const TMemIniFile& ini) { return FromSettings(TProjectSettings::Read(ini)); }

TWindowSettings TWindowSettings::FromSettings(const TProjectSettings& settings) {
    const TProjectSettings defaults = TProjectSettings::Defaults();
    TWindowSettings s;
    s.caption = TitleForWindowManager(settings.name);
    s.top = settings.top;
    s.left = settings.left;
    // A window needs some size to be found and closed again.
    s.width = Size(settings.width, defaults.width);
    s.height = Size(settings.height, defaults.height);
    s.maxWidth = Limit(settings.maxWidth);
    s.maxHeight = Limit(settings.maxHeight);
    s.minWidth = Limit(settings.minWidth);
    s.minHeight = Limit(settings.minHeight);
    ApplyLimits(s.width, s.minWidth, s.maxWidth);
    ApplyLimits(s.height, s.minHeight, s.maxHeight);
    s.centred = settings.windowPosition == 0;
    if (settings.windowStyle == 1) {
        s.fullScreen = true;
        s.border = TBorderStyle::None;
        s.state = TWindowState::Maximized;
    } else {
        s.border = BorderFromSetting(settings.windowBorder);
        if (settings.windowState == 1) s.state = TWindowState::Maximized;
    }
    s.stayOnTop = settings.windowOrder == 1;
    s.allowDebug = settings.allowDebug;
    s.allowContextMenu = settings.allowContextMenu;
    s.dynamicAppTitle = settings.dynamicAppTitle;
    return s;
}

}  // namespace zorv
