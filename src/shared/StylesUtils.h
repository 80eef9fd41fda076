#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

class IThemeEngine;

// The theme catalogue and the active theme. The catalogue (the system look "Windows" and 39
// named styles) is static; the active theme is the one piece of state, so TStylesUtils is a
// small object that holds it together with the engine that renders themes and the callback
// that shows an error box. Start-up creates one per process and the bridge borrows it.
class TStylesUtils {
public:
    using TShowError = std::function<void(const std::string& message)>;

    static constexpr const char* SystemTheme = "Windows";

    TStylesUtils(IThemeEngine& engine, TShowError showError);

    // The active theme's name as the catalogue spells it; "Windows" until a theme is set.
    const std::string& GetActiveTheme() const { return FActiveTheme; }
    enum class TOrder { Catalogue, Sorted };
    // Clears the list and adds every catalogue name: sorted ignoring case, or in catalogue
    // order ("Windows" first and then the styles).
    static void GetAvailables(std::vector<std::string>& themesList, TOrder order);
    // The catalogue name equal to `themeName` ignoring letter case, if any.
    static std::optional<std::string> FindTheme(std::string_view themeName);
    // Makes the named theme (matched ignoring case) active and has the engine redraw every
    // native window in it. An unknown name leaves the active theme as it is and, with
    // TUnknownName::ShowError, shows "Style '<name>' not found".
    enum class TUnknownName { Ignore, ShowError };
    void TrySetStyle(const std::string& themeName, TUnknownName unknownName);

private:
    IThemeEngine& FEngine;
    TShowError FShowError;
    std::string FActiveTheme = SystemTheme;
};

}  // namespace zorv
