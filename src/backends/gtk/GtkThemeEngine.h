#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backends/gtk/GLibOwned.h"
#include "platform/ThemeEngine.h"
#include "shared/StylesUtils.h"

namespace zorv {

// The colours the style sheet of one catalogue style is written from (0xRRGGBB).
struct TGtkStyleColours {
    TStyle style;
    bool dark;
    uint32_t window;  // window and menu bar background
    uint32_t text;
    uint32_t accent;  // selection, hovered menu items, default buttons, focused inputs
};

// Renders the catalogue's themes with a style sheet on the default screen, so every window of
// the process (main window, menu bar and menus, dialogs) takes it at once. "Windows", the system
// look, removes the style sheet. The content of web views is not styled.
class TGtkThemeEngine final : public IThemeEngine {
public:
    TGtkThemeEngine();
    ~TGtkThemeEngine() override;
    TGtkThemeEngine(const TGtkThemeEngine&) = delete;
    TGtkThemeEngine& operator=(const TGtkThemeEngine&) = delete;

    // An unknown name changes nothing.
    void ApplyTheme(const std::string& catalogueName) override;

    // The 39 styled themes (every catalogue name but "Windows").
    static const std::vector<TGtkStyleColours>& Palettes();
    static const TGtkStyleColours* FindPalette(std::string_view name);
    static std::string StyleSheet(const TGtkStyleColours& palette);

private:
    void RemoveProvider();

    TGObjectOwned<GtkCssProvider> FProvider;
};

}  // namespace zorv
