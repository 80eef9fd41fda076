#include "runtime/WindowSettings.h"

#include <algorithm>

#include "shared/MemIniFile.h"

namespace zorv {

namespace {

constexpr const char* App = "App";

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

TWindowSettings TWindowSettings::FromIni(const TMemIniFile& ini, const std::string& appName) {
    TWindowSettings s;
    s.caption = TitleForWindowManager(appName);
    s.top = ini.ReadInteger(App, "Top", 50);
    s.left = ini.ReadInteger(App, "Left", 50);
    // A window needs some size to be found and closed again.
    s.width = Size(ini.ReadInteger(App, "Width", 800), 800);
    s.height = Size(ini.ReadInteger(App, "Height", 600), 600);
    s.maxWidth = Limit(ini.ReadInteger(App, "MaxWidth", 0));
    s.maxHeight = Limit(ini.ReadInteger(App, "MaxHeight", 0));
    s.minWidth = Limit(ini.ReadInteger(App, "MinWidth", 0));
    s.minHeight = Limit(ini.ReadInteger(App, "MinHeight", 0));
    ApplyLimits(s.width, s.minWidth, s.maxWidth);
    ApplyLimits(s.height, s.minHeight, s.maxHeight);
    s.centred = ini.ReadInteger(App, "WindowPosition", 0) == 0;
    if (ini.ReadInteger(App, "WindowStyle", 0) == 1) {
        s.fullScreen = true;
        s.border = TBorderStyle::None;
        s.state = TWindowState::Maximized;
    } else {
        s.border = BorderFromSetting(ini.ReadInteger(App, "WindowBorder", 2));
        if (ini.ReadInteger(App, "WindowState", 0) == 1) s.state = TWindowState::Maximized;
    }
    s.stayOnTop = ini.ReadInteger(App, "WindowOrder", 0) == 1;
    s.allowDebug = ini.ReadBool(App, "AllowDebug", false);
    s.allowContextMenu = ini.ReadBool(App, "AllowContextMenu", false);
    return s;
}

bool TWindowSettings::DynamicAppTitle(const TMemIniFile& ini) { return ini.ReadBool(App, "DynamicAppTitle", false); }

}  // namespace zorv
