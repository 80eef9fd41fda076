#include "backends/gtk/GtkThemeEngine.h"

#include <gtk/gtk.h>

#include <cmath>
#include <cstdio>
#include <optional>

namespace zorv {

namespace {

// Relative luminance (0 black .. 1 white) of an sRGB colour.
double Luminance(uint32_t rgb) {
    auto channel = [](uint32_t value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel((rgb >> 16) & 0xFF) + 0.7152 * channel((rgb >> 8) & 0xFF) + 0.0722 * channel(rgb & 0xFF);
}

std::string Hex(uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFFu);
    return text;
}

}  // namespace

const std::vector<TGtkStyleColours>& TGtkThemeEngine::Palettes() {
    static const std::vector<TGtkStyleColours> palettes = {
        {TStyle::Amakrits, true, 0x3A3633, 0xE8E2D8, 0xD98E2F},
        {TStyle::AmethystKamri, false, 0xE9E4F0, 0x2E2440, 0x7E57B0},
        {TStyle::AquaGraphite, true, 0x3C3F44, 0xE6E9EC, 0x3FA9C9},
        {TStyle::AquaLightSlate, false, 0xDDE5EA, 0x1F2A33, 0x1F8CAF},
        {TStyle::Auric, true, 0x2F2D2A, 0xEDE6D6, 0xC9A227},
        {TStyle::Carbon, true, 0x262626, 0xD8D8D8, 0x3D7FBF},
        {TStyle::CharcoalDarkSlate, true, 0x2F353A, 0xDCE3E8, 0x5F8BA8},
        {TStyle::CobaltXEMedia, true, 0x1E2A3D, 0xDDE6F3, 0x2F6FDB},
        {TStyle::CyanDusk, true, 0x2A3338, 0xE0F0F3, 0x1FB5C9},
        {TStyle::CyanNight, true, 0x1B2226, 0xCFE8EC, 0x00A7C2},
        {TStyle::EmeraldLightSlate, false, 0xDFE6E3, 0x1E2B26, 0x23875A},
        {TStyle::Glossy, true, 0x1C1C1C, 0xE8E8E8, 0x3A8EE6},
        {TStyle::Glow, true, 0x242A30, 0xE2E8EE, 0x4FC3F7},
        {TStyle::GoldenGraphite, true, 0x35363A, 0xECE7DA, 0xD4A11E},
        {TStyle::IcebergClassico, false, 0xE6EEF5, 0x1C2935, 0x3F86C8},
        {TStyle::LavenderClassico, false, 0xECE8F2, 0x2A2438, 0x8468BC},
        {TStyle::Light, false, 0xF3F3F3, 0x1E1E1E, 0x3C7FD9},
        {TStyle::Luna, false, 0xECE9D8, 0x000000, 0x316AC5},
        {TStyle::MetropolisUIBlack, true, 0x111111, 0xF0F0F0, 0x1BA1E2},
        {TStyle::MetropolisUIBlue, true, 0x1F2B3A, 0xEAF2FB, 0x1E88E5},
        {TStyle::MetropolisUIDark, true, 0x2D2D30, 0xF1F1F1, 0x007ACC},
        {TStyle::MetropolisUIGreen, true, 0x1E2B22, 0xE8F3EA, 0x2EA043},
        {TStyle::Obsidian, true, 0x202326, 0xD6DADF, 0x7A8B99},
        {TStyle::OnyxBlue, true, 0x1D2430, 0xD9E3F0, 0x3B82F6},
        {TStyle::RubyGraphite, true, 0x36363A, 0xEDE3E3, 0xC0392B},
        {TStyle::SapphireKamri, false, 0xE3E9F2, 0x1D2A40, 0x2F5FAF},
        {TStyle::Silver, false, 0xE4E4E6, 0x202020, 0x6E7480},
        {TStyle::Sky, false, 0xE8F3FB, 0x10324A, 0x2A8FD0},
        {TStyle::SlateClassico, false, 0xD9DDE1, 0x22282E, 0x5D7285},
        {TStyle::SmokeyQuartzKamri, false, 0xE6E1DC, 0x2E2823, 0x8C7A6B},
        {TStyle::TabletDark, true, 0x1F1F1F, 0xFFFFFF, 0x0A84FF},
        {TStyle::TabletLight, false, 0xFAFAFA, 0x1A1A1A, 0x0078D4},
        {TStyle::TurquoiseGray, false, 0xDCE1E1, 0x1F2626, 0x138D75},
        {TStyle::Windows10, false, 0xF0F0F0, 0x000000, 0x0078D7},
        {TStyle::Windows10Blue, true, 0x1E2F4D, 0xFFFFFF, 0x2B88D8},
        {TStyle::Windows10Dark, true, 0x2B2B2B, 0xFFFFFF, 0x0078D7},
        {TStyle::Windows10Green, true, 0x1E3B2A, 0xFFFFFF, 0x10893E},
        {TStyle::Windows10Purple, true, 0x2E2442, 0xFFFFFF, 0x8764B8},
        {TStyle::Windows10SlateGray, true, 0x2F3A44, 0xFFFFFF, 0x5C7A91},
    };
    return palettes;
}

const TGtkStyleColours* TGtkThemeEngine::FindPalette(std::string_view name) {
    const std::optional<TStyle> style = TStylesUtils::StyleNamed(name);
    for (const TGtkStyleColours& palette : Palettes())
        if (style == palette.style) return &palette;
    return nullptr;
}

std::string TGtkThemeEngine::StyleSheet(const TGtkStyleColours& palette) {
    const std::string onAccent = Luminance(palette.accent) > 0.4 ? "#000000" : "#FFFFFF";
    std::string css;
    css += "@define-color zorv_bg " + Hex(palette.window) + ";\n";
    css += "@define-color zorv_fg " + Hex(palette.text) + ";\n";
    css += "@define-color zorv_accent " + Hex(palette.accent) + ";\n";
    css += "@define-color zorv_on_accent " + onAccent + ";\n";
    css += R"css(
@define-color zorv_base mix(@zorv_bg, @zorv_fg, 0.05);
@define-color zorv_raised mix(@zorv_bg, @zorv_fg, 0.10);
@define-color zorv_border mix(@zorv_bg, @zorv_fg, 0.28);
@define-color zorv_dim mix(@zorv_bg, @zorv_fg, 0.5);

window, dialog, messagedialog, .background, filechooser, placessidebar, stack, paned {
  background-color: @zorv_bg; color: @zorv_fg;
}
label { color: @zorv_fg; }
label:disabled, label:backdrop:disabled { color: @zorv_dim; text-shadow: none; }
headerbar, .titlebar {
  background-image: none; background-color: @zorv_raised; color: @zorv_fg;
  border-color: @zorv_border; box-shadow: none;
}
menubar { background-image: none; background-color: @zorv_bg; color: @zorv_fg; box-shadow: inset 0 -1px @zorv_border; }
menubar > menuitem { color: @zorv_fg; }
menubar > menuitem:hover { background-color: @zorv_accent; color: @zorv_on_accent; box-shadow: none; }
menubar > menuitem:hover label { color: @zorv_on_accent; }
menu, .menu, .context-menu, popover {
  background-color: @zorv_base; color: @zorv_fg; border-color: @zorv_border;
}
menu menuitem { color: @zorv_fg; }
menu menuitem:hover { background-color: @zorv_accent; color: @zorv_on_accent; }
menu menuitem:hover label { color: @zorv_on_accent; }
menuitem:disabled, menu menuitem:disabled label, menubar > menuitem:disabled label { color: @zorv_dim; text-shadow: none; }
menu separator, menuitem.separator, separator { color: @zorv_border; background-color: @zorv_border; }
button {
  background-image: none; background-color: @zorv_raised; color: @zorv_fg;
  border-color: @zorv_border; text-shadow: none; -gtk-icon-shadow: none; box-shadow: none;
}
button label { color: inherit; }
button:hover { background-color: mix(@zorv_raised, @zorv_accent, 0.25); }
button:active, button:checked { background-color: @zorv_accent; color: @zorv_on_accent; }
button.default, button.suggested-action { background-color: @zorv_accent; color: @zorv_on_accent; border-color: @zorv_accent; }
button:disabled { background-color: @zorv_bg; color: @zorv_dim; }
entry {
  background-image: none; background-color: @zorv_base; color: @zorv_fg;
  border-color: @zorv_border; caret-color: @zorv_fg; box-shadow: none;
}
entry:focus { border-color: @zorv_accent; box-shadow: inset 0 0 0 1px @zorv_accent; }
entry image { color: @zorv_fg; }
treeview.view, list, row, iconview, textview text, scrolledwindow viewport {
  background-color: @zorv_base; color: @zorv_fg;
}
treeview.view:selected, row:selected, iconview:selected, *:selected, selection {
  background-color: @zorv_accent; color: @zorv_on_accent;
}
treeview.view header button { background-color: @zorv_raised; color: @zorv_fg; }
scrollbar { background-color: @zorv_bg; border-color: @zorv_border; }
scrollbar slider { background-color: mix(@zorv_bg, @zorv_fg, 0.40); }
scrollbar slider:hover { background-color: @zorv_accent; }
tooltip, tooltip.background { background-color: @zorv_raised; color: @zorv_fg; }
)css";
    return css;
}

TGtkThemeEngine::TGtkThemeEngine() = default;

TGtkThemeEngine::~TGtkThemeEngine() { RemoveProvider(); }

void TGtkThemeEngine::RemoveProvider() {
    if (FProvider == nullptr) return;
    if (GdkScreen* screen = gdk_screen_get_default())
        gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(FProvider.get()));
    FProvider.reset();
}

void TGtkThemeEngine::ApplyTheme(const std::string& catalogueName) {
    GdkScreen* screen = gdk_screen_get_default();
    if (screen == nullptr) return;
    if (catalogueName == TStylesUtils::SystemTheme) {
        RemoveProvider();
        return;
    }
    const TGtkStyleColours* palette = FindPalette(catalogueName);
    if (palette == nullptr) return;
    TGObjectOwned<GtkCssProvider> provider(gtk_css_provider_new());
    gtk_css_provider_load_from_data(provider.get(), StyleSheet(*palette).c_str(), -1, nullptr);
    // The new sheet goes in before the old one leaves, so windows never flash the system look.
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider.get()),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    RemoveProvider();
    FProvider = std::move(provider);
}

}  // namespace zorv
