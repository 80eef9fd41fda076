#include "backends/gtk/GtkThemeEngine.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "GtkTestSupport.h"
#include "shared/StylesUtils.h"

namespace zorv::test {
namespace {

double Luminance(uint32_t rgb) {
    auto channel = [](uint32_t value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel((rgb >> 16) & 0xFF) + 0.7152 * channel((rgb >> 8) & 0xFF) + 0.0722 * channel(rgb & 0xFF);
}

double Contrast(uint32_t a, uint32_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(ThemePalettes, CoverEveryCatalogueStyleWithADistinctReadablePalette) {
    std::vector<std::string> catalogue;
    TStylesUtils::GetAvailables(catalogue, TStylesUtils::TOrder::Sorted);
    catalogue.erase(std::remove(catalogue.begin(), catalogue.end(), "Windows"), catalogue.end());
    std::vector<std::string> palettes;
    std::set<uint32_t> windowColours;
    for (const TGtkStyleColours& palette : TGtkThemeEngine::Palettes()) {
        palettes.emplace_back(TStylesUtils::StyleName(palette.style));
        windowColours.insert(palette.window);
        EXPECT_EQ(Luminance(palette.window) < 0.2, palette.dark) << TStylesUtils::StyleName(palette.style);
        EXPECT_GE(Contrast(palette.window, palette.text), 7.0) << TStylesUtils::StyleName(palette.style);
        EXPECT_GE(Contrast(palette.window, palette.accent), 1.8) << TStylesUtils::StyleName(palette.style);
    }
    std::sort(palettes.begin(), palettes.end());
    std::sort(catalogue.begin(), catalogue.end());
    EXPECT_EQ(palettes, catalogue);
    EXPECT_EQ(windowColours.size(), palettes.size());
}

TEST(ThemePalettes, EveryStyleSheetParsesWithoutErrors) {
    ZORV_REQUIRE_DISPLAY();
    for (const TGtkStyleColours& palette : TGtkThemeEngine::Palettes()) {
        GtkCssProvider* provider = gtk_css_provider_new();
        std::vector<std::string> errors;
        g_signal_connect(provider, "parsing-error",
                         G_CALLBACK(+[](GtkCssProvider*, GtkCssSection*, GError* error, gpointer sink) {
                             static_cast<std::vector<std::string>*>(sink)->push_back(error->message);
                         }),
                         &errors);
        EXPECT_TRUE(
            gtk_css_provider_load_from_data(provider, TGtkThemeEngine::StyleSheet(palette).c_str(), -1, nullptr))
            << TStylesUtils::StyleName(palette.style);
        EXPECT_EQ(errors, std::vector<std::string>{}) << TStylesUtils::StyleName(palette.style);
        g_object_unref(provider);
    }
}

// A shown window with a label, a menu bar and a button, whose colours are read back.
class ThemeSwitching : public ::testing::Test {
protected:
    void SetUp() override {
        ZORV_REQUIRE_DISPLAY();
        FWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        FMenuBar = gtk_menu_bar_new();
        gtk_menu_shell_append(GTK_MENU_SHELL(FMenuBar), gtk_menu_item_new_with_label("File"));
        FLabel = gtk_label_new("text");
        gtk_container_add(GTK_CONTAINER(box), FMenuBar);
        gtk_container_add(GTK_CONTAINER(box), FLabel);
        gtk_container_add(GTK_CONTAINER(FWindow), box);
        gtk_widget_show_all(FWindow);
        RunUntil([&] { return gtk_widget_get_mapped(FWindow); });
    }
    void TearDown() override {
        FEngine.reset();
        if (FWindow != nullptr) gtk_widget_destroy(FWindow);
    }
    // Restyling happens on the window's next frame.
    void Apply(const std::string& name, uint32_t expectedWindow) {
        FEngine->ApplyTheme(name);
        RunUntil([&] { return WindowColour() == expectedWindow; }, std::chrono::seconds(2));
    }
    uint32_t WindowColour() { return Rgb(StyleColor(FWindow, "background-color")); }
    uint32_t MenuBarColour() { return Rgb(StyleColor(FMenuBar, "background-color")); }
    uint32_t TextColour() { return Rgb(StyleColor(FLabel, "color")); }

    std::unique_ptr<TGtkThemeEngine> FEngine = std::make_unique<TGtkThemeEngine>();
    GtkWidget* FWindow = nullptr;
    GtkWidget* FMenuBar = nullptr;
    GtkWidget* FLabel = nullptr;
};

TEST_F(ThemeSwitching, EachStyleRepaintsTheOpenWindowAndWindowsBringsBackTheSystemLook) {
    const uint32_t systemWindow = WindowColour();
    const uint32_t systemText = TextColour();
    for (const TGtkStyleColours& palette : TGtkThemeEngine::Palettes()) {
        Apply(std::string(TStylesUtils::StyleName(palette.style)), palette.window);
        EXPECT_EQ(WindowColour(), palette.window) << TStylesUtils::StyleName(palette.style);
        EXPECT_EQ(MenuBarColour(), palette.window) << TStylesUtils::StyleName(palette.style);
        EXPECT_EQ(TextColour(), palette.text) << TStylesUtils::StyleName(palette.style);
    }
    Apply("Windows", systemWindow);
    EXPECT_EQ(WindowColour(), systemWindow);
    EXPECT_EQ(TextColour(), systemText);
}

// A disabled item keeps its dim text even in the hover state GTK gives items of an open menu;
// a hovered enabled item takes the text colour that reads on the accent.
TEST_F(ThemeSwitching, DisabledMenuItemsStayDimUnderThePointer) {
    GtkWidget* menu = gtk_menu_new();
    GtkWidget* enabled = gtk_menu_item_new_with_label("Open");
    GtkWidget* disabled = gtk_menu_item_new_with_label("Exit");
    gtk_widget_set_sensitive(disabled, FALSE);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), enabled);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), disabled);
    gtk_widget_show_all(menu);
    gtk_widget_set_state_flags(enabled, GTK_STATE_FLAG_PRELIGHT, FALSE);
    gtk_widget_set_state_flags(disabled, GTK_STATE_FLAG_PRELIGHT, FALSE);
    for (const char* name : {"Luna", "Windows10 Dark"}) {
        const TGtkStyleColours* palette = TGtkThemeEngine::FindPalette(name);
        Apply(name, palette->window);
        const uint32_t hovered = Rgb(StyleColor(gtk_bin_get_child(GTK_BIN(enabled)), "color"));
        const uint32_t dim = Rgb(StyleColor(gtk_bin_get_child(GTK_BIN(disabled)), "color"));
        EXPECT_NE(dim, hovered) << name;
        EXPECT_NE(dim, palette->text) << name;
        EXPECT_NE(dim, palette->window) << name;
    }
    gtk_widget_destroy(menu);
}

TEST_F(ThemeSwitching, AnUnknownNameKeepsTheCurrentTheme) {
    Apply("Carbon", TGtkThemeEngine::FindPalette("Carbon")->window);
    FEngine->ApplyTheme("No Such Theme");
    Pump(std::chrono::milliseconds(100));
    EXPECT_EQ(WindowColour(), TGtkThemeEngine::FindPalette("Carbon")->window);
}

TEST_F(ThemeSwitching, TheEngineTakesItsStyleWithItWhenItGoes) {
    const uint32_t systemWindow = WindowColour();
    Apply("Windows10 Dark", TGtkThemeEngine::FindPalette("Windows10 Dark")->window);
    ASSERT_NE(WindowColour(), systemWindow);
    FEngine.reset();
    RunUntil([&] { return WindowColour() == systemWindow; }, std::chrono::seconds(2));
    EXPECT_EQ(WindowColour(), systemWindow);
}

}  // namespace
}  // namespace zorv::test
