#pragma once
#include <functional>
#include <string>

namespace zorv {

class IThemeEngine;

// The process's active theme and the engine that renders it. Start-up makes one per process; it
// applies the settings' theme, and the bridge borrows it for the themes functions. Names are
// matched against the catalogue of TStylesUtils.
class TActiveTheme {
public:
    using TShowError = std::function<void(const std::string& message)>;

    TActiveTheme(IThemeEngine& engine, TShowError showError);

    // The active theme's name as the catalogue spells it; "Windows" until a theme is set.
    const std::string& GetActiveTheme() const { return FActiveTheme; }
    // Makes the named theme (matched ignoring case) active and has the engine redraw every
    // native window in it. An unknown name leaves the active theme as it is and, with
    // TUnknownName::ShowError, shows "Style '<name>' not found".
    enum class TUnknownName { Ignore, ShowError };
    void TrySetStyle(const std::string& themeName, TUnknownName unknownName);

private:
    IThemeEngine& FEngine;
    TShowError FShowError;
    std::string FActiveTheme;
};

}  // namespace zorv
