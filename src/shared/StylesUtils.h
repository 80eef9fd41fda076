#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

// The theme catalogue: the system look "Windows" and 39 named styles. The active theme and the
// engine that renders it are TActiveTheme's (src/bridge).
class TStylesUtils {
public:
    TStylesUtils() = delete;
    static constexpr const char* SystemTheme = "Windows";

    enum class TOrder { Catalogue, Sorted };
    // Clears the list and adds every catalogue name: sorted ignoring case, or in catalogue
    // order ("Windows" first and then the styles).
    static void GetAvailables(std::vector<std::string>& themesList, TOrder order);
    // The catalogue name equal to `themeName` ignoring letter case, if any.
    static std::optional<std::string> FindTheme(std::string_view themeName);
};

}  // namespace zorv
