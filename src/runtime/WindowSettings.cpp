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

// A negative limit would make the window unusable; it means "no limit" like 0.
int Limit(int value) {
    return std::max(value, 0);
}

}  // namespace

TWindowSettings TWindowSettings::FromIni(const TMemIniFile& ini, const std::string& appName) {
    TWindowSettings s;
    s.caption = appName;
    s.top = ini.ReadInteger(App, "Top", 50);
    s.left = ini.ReadInteger(App, "Left", 50);
    // A window needs some size to be found and closed again.
    s.width = std::max(ini.ReadInteger(App, "Width", 800), 1);
    s.height = std::max(ini.ReadInteger(App, "Height", 600), 1);
    s.maxWidth = Limit(ini.ReadInteger(App, "MaxWidth", 0));
    s.maxHeight = Limit(ini.ReadInteger(App, "MaxHeight", 0));
    s.minWidth = Limit(ini.ReadInteger(App, "MinWidth", 0));
    s.minHeight = Limit(ini.ReadInteger(App, "MinHeight", 0));
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

bool TWindowSettings::DynamicAppTitle(const TMemIniFile& ini) {
    return ini.ReadBool(App, "DynamicAppTitle", false);
}

}  // namespace zorv
