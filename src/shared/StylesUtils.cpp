#include "shared/StylesUtils.h"

#include <algorithm>
#include <array>
#include <utility>

#include "shared/StrUtils.h"

namespace zorv {

namespace {

// The styles carried in the executable, by the names pages see: the one place they are written.
constexpr std::array<std::pair<TStyle, std::string_view>, TStylesUtils::StyleCount> Styles = {{
    {TStyle::Amakrits, "Amakrits"},
    {TStyle::AmethystKamri, "Amethyst Kamri"},
    {TStyle::AquaGraphite, "Aqua Graphite"},
    {TStyle::AquaLightSlate, "Aqua Light Slate"},
    {TStyle::Auric, "Auric"},
    {TStyle::Carbon, "Carbon"},
    {TStyle::CharcoalDarkSlate, "Charcoal Dark Slate"},
    {TStyle::CobaltXEMedia, "Cobalt XEMedia"},
    {TStyle::CyanDusk, "Cyan Dusk"},
    {TStyle::CyanNight, "Cyan Night"},
    {TStyle::EmeraldLightSlate, "Emerald Light Slate"},
    {TStyle::Glossy, "Glossy"},
    {TStyle::Glow, "Glow"},
    {TStyle::GoldenGraphite, "Golden Graphite"},
    {TStyle::IcebergClassico, "Iceberg Classico"},
    {TStyle::LavenderClassico, "Lavender Classico"},
    {TStyle::Light, "Light"},
    {TStyle::Luna, "Luna"},
    {TStyle::MetropolisUIBlack, "Metropolis UI Black"},
    {TStyle::MetropolisUIBlue, "Metropolis UI Blue"},
    {TStyle::MetropolisUIDark, "Metropolis UI Dark"},
    {TStyle::MetropolisUIGreen, "Metropolis UI Green"},
    {TStyle::Obsidian, "Obsidian"},
    {TStyle::OnyxBlue, "Onyx Blue"},
    {TStyle::RubyGraphite, "Ruby Graphite"},
    {TStyle::SapphireKamri, "Sapphire Kamri"},
    {TStyle::Silver, "Silver"},
    {TStyle::Sky, "Sky"},
    {TStyle::SlateClassico, "Slate Classico"},
    {TStyle::SmokeyQuartzKamri, "Smokey Quartz Kamri"},
    {TStyle::TabletDark, "Tablet Dark"},
    {TStyle::TabletLight, "Tablet Light"},
    {TStyle::TurquoiseGray, "Turquoise Gray"},
    {TStyle::Windows10, "Windows10"},
    {TStyle::Windows10Blue, "Windows10 Blue"},
    {TStyle::Windows10Dark, "Windows10 Dark"},
    {TStyle::Windows10Green, "Windows10 Green"},
    {TStyle::Windows10Purple, "Windows10 Purple"},
    {TStyle::Windows10SlateGray, "Windows10 SlateGray"},
}};

constexpr bool InCatalogueOrder() {
    for (std::size_t i = 0; i < Styles.size(); ++i)
        if (static_cast<std::size_t>(Styles[i].first) != i) return false;
    return true;
}
static_assert(InCatalogueOrder(), "each style's row sits at its own value");

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return TStrUtils::LowerCase(a) < TStrUtils::LowerCase(b);
}

}  // namespace

void TStylesUtils::GetAvailables(std::vector<std::string>& themesList, TOrder order) {
    themesList.clear();
    themesList.emplace_back(SystemTheme);
    for (const auto& [style, name] : Styles) themesList.emplace_back(name);
    if (order == TOrder::Sorted) std::stable_sort(themesList.begin(), themesList.end(), LessIgnoringCase);
}

std::optional<std::string> TStylesUtils::FindTheme(std::string_view themeName) {
    if (TStrUtils::SameText(themeName, SystemTheme)) return std::string(SystemTheme);
    for (const auto& [style, name] : Styles) {
        if (TStrUtils::SameText(themeName, name)) return std::string(name);
    }
    return std::nullopt;
}

std::string_view TStylesUtils::StyleName(TStyle style) { return Styles.at(static_cast<std::size_t>(style)).second; }

std::optional<TStyle> TStylesUtils::StyleNamed(std::string_view catalogueName) {
    for (const auto& [style, name] : Styles)
        if (name == catalogueName) return style;
    return std::nullopt;
}

}  // namespace zorv
