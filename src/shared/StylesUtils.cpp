#include "shared/StylesUtils.h"

#include <algorithm>
#include <array>

#include "shared/StrUtils.h"

namespace zorv {

namespace {

// The styles carried in the executable, by the names pages see.
constexpr std::array<const char*, 39> StyleNames = {"Amakrits",
                                                    "Amethyst Kamri",
                                                    "Aqua Graphite",
                                                    "Aqua Light Slate",
                                                    "Auric",
                                                    "Carbon",
                                                    "Charcoal Dark Slate",
                                                    "Cobalt XEMedia",
                                                    "Cyan Dusk",
                                                    "Cyan Night",
                                                    "Emerald Light Slate",
                                                    "Glossy",
                                                    "Glow",
                                                    "Golden Graphite",
                                                    "Iceberg Classico",
                                                    "Lavender Classico",
                                                    "Light",
                                                    "Luna",
                                                    "Metropolis UI Black",
                                                    "Metropolis UI Blue",
                                                    "Metropolis UI Dark",
                                                    "Metropolis UI Green",
                                                    "Obsidian",
                                                    "Onyx Blue",
                                                    "Ruby Graphite",
                                                    "Sapphire Kamri",
                                                    "Silver",
                                                    "Sky",
                                                    "Slate Classico",
                                                    "Smokey Quartz Kamri",
                                                    "Tablet Dark",
                                                    "Tablet Light",
                                                    "Turquoise Gray",
                                                    "Windows10",
                                                    "Windows10 Blue",
                                                    "Windows10 Dark",
                                                    "Windows10 Green",
                                                    "Windows10 Purple",
                                                    "Windows10 SlateGray"};

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return TStrUtils::LowerCase(a) < TStrUtils::LowerCase(b);
}

}  // namespace

void TStylesUtils::GetAvailables(std::vector<std::string>& themesList, TOrder order) {
    themesList.clear();
    themesList.emplace_back(SystemTheme);
    themesList.insert(themesList.end(), StyleNames.begin(), StyleNames.end());
    if (order == TOrder::Sorted) std::stable_sort(themesList.begin(), themesList.end(), LessIgnoringCase);
}

std::optional<std::string> TStylesUtils::FindTheme(std::string_view themeName) {
    if (TStrUtils::SameText(themeName, SystemTheme)) return std::string(SystemTheme);
    for (const char* name : StyleNames) {
        if (TStrUtils::SameText(themeName, name)) return std::string(name);
    }
    return std::nullopt;
}

}  // namespace zorv
