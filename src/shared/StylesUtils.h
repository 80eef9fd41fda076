#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

// The catalogue's styled themes, in catalogue order. Their names are written once, in
// StylesUtils.cpp; backends key their colours by these values and look names up through
// TStylesUtils, so that no backend holds a copy of the names.
enum class TStyle {
    Amakrits,
    AmethystKamri,
    AquaGraphite,
    AquaLightSlate,
    Auric,
    Carbon,
    CharcoalDarkSlate,
    CobaltXEMedia,
    CyanDusk,
    CyanNight,
    EmeraldLightSlate,
    Glossy,
    Glow,
    GoldenGraphite,
    IcebergClassico,
    LavenderClassico,
    Light,
    Luna,
    MetropolisUIBlack,
    MetropolisUIBlue,
    MetropolisUIDark,
    MetropolisUIGreen,
    Obsidian,
    OnyxBlue,
    RubyGraphite,
    SapphireKamri,
    Silver,
    Sky,
    SlateClassico,
    SmokeyQuartzKamri,
    TabletDark,
    TabletLight,
    TurquoiseGray,
    Windows10,
    Windows10Blue,
    Windows10Dark,
    Windows10Green,
    Windows10Purple,
    Windows10SlateGray,
};

// The theme catalogue: the system look "Windows" and 39 named styles. The active theme and the
// engine that renders it are TActiveTheme's (src/bridge).
class TStylesUtils {
public:
    TStylesUtils() = delete;
    static constexpr const char* SystemTheme = "Windows";
    static constexpr std::size_t StyleCount = 39;

    // The name pages see for `style`.
    static std::string_view StyleName(TStyle style);
    // The style spelled exactly `catalogueName`, if any ("Windows" is none: it is the system look).
    static std::optional<TStyle> StyleNamed(std::string_view catalogueName);

    enum class TOrder { Catalogue, Sorted };
    // Clears the list and adds every catalogue name: sorted ignoring case, or in catalogue
    // order ("Windows" first and then the styles).
    static void GetAvailables(std::vector<std::string>& themesList, TOrder order);
    // The catalogue name equal to `themeName` ignoring letter case, if any.
    static std::optional<std::string> FindTheme(std::string_view themeName);
};

}  // namespace zorv
