#include "shared/StylesUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ThemeEngine.h"

namespace zorv {
namespace {

class TRecordingThemeEngine : public IThemeEngine {
public:
    void ApplyTheme(const std::string& catalogueName) override { applied.push_back(catalogueName); }
    std::vector<std::string> applied;
};

class StylesUtilsFixture : public testing::Test {
protected:
    TRecordingThemeEngine engine;
    std::vector<std::string> errors;
    TStylesUtils styles{engine, [this](const std::string& message) { errors.push_back(message); }};
};

TEST(StylesCatalogue, ListsTheFortyNamesSortedIgnoringCase) {
    const std::vector<std::string> expected = {"Amakrits",
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
                                               "Windows",
                                               "Windows10",
                                               "Windows10 Blue",
                                               "Windows10 Dark",
                                               "Windows10 Green",
                                               "Windows10 Purple",
                                               "Windows10 SlateGray"};
    std::vector<std::string> themes = {"left over"};
    TStylesUtils::GetAvailables(themes, TStylesUtils::TOrder::Sorted);
    EXPECT_EQ(themes, expected);
    EXPECT_EQ(themes[33], "Windows");

    TStylesUtils::GetAvailables(themes, TStylesUtils::TOrder::Catalogue);
    EXPECT_EQ(themes.size(), 40u);
    EXPECT_EQ(themes.front(), "Windows");
}

struct TFindCase {
    const char* name;
    const char* found;  // nullptr: not in the catalogue
};

class StylesCatalogueFind : public testing::TestWithParam<TFindCase> {};

TEST_P(StylesCatalogueFind, MatchesIgnoringCase) {
    const auto found = TStylesUtils::FindTheme(GetParam().name);
    if (GetParam().found == nullptr) {
        EXPECT_FALSE(found.has_value()) << *found;
    } else {
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(*found, GetParam().found);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, StylesCatalogueFind,
                         testing::Values(TFindCase{"Carbon", "Carbon"}, TFindCase{"carbon", "Carbon"},
                                         TFindCase{"WINDOWS10 SLATEGRAY", "Windows10 SlateGray"},
                                         TFindCase{"windows", "Windows"}, TFindCase{"Carbon ", nullptr},
                                         TFindCase{"Windows11", nullptr}, TFindCase{"", nullptr}));

TEST_F(StylesUtilsFixture, StartsWithTheSystemLook) {
    EXPECT_EQ(styles.GetActiveTheme(), "Windows");
    EXPECT_TRUE(engine.applied.empty());
}

TEST_F(StylesUtilsFixture, SetsThemeByItsCatalogueSpelling) {
    styles.TrySetStyle("carbon", TStylesUtils::TUnknownName::ShowError);
    EXPECT_EQ(styles.GetActiveTheme(), "Carbon");
    EXPECT_EQ(engine.applied, std::vector<std::string>{"Carbon"});
    EXPECT_TRUE(errors.empty());

    styles.TrySetStyle("WINDOWS", TStylesUtils::TUnknownName::ShowError);
    EXPECT_EQ(styles.GetActiveTheme(), "Windows");
    EXPECT_EQ(engine.applied, (std::vector<std::string>{"Carbon", "Windows"}));
}

TEST_F(StylesUtilsFixture, SettingTheActiveThemeAgainChangesNothing) {
    styles.TrySetStyle("Sky", TStylesUtils::TUnknownName::Ignore);
    styles.TrySetStyle("Sky", TStylesUtils::TUnknownName::Ignore);
    styles.TrySetStyle("sky", TStylesUtils::TUnknownName::Ignore);
    EXPECT_EQ(engine.applied, std::vector<std::string>{"Sky"});
}

TEST_F(StylesUtilsFixture, UnknownNameKeepsThemeAndReportsOnlyWhenAsked) {
    styles.TrySetStyle("Glow", TStylesUtils::TUnknownName::Ignore);
    styles.TrySetStyle("Neon", TStylesUtils::TUnknownName::Ignore);
    EXPECT_TRUE(errors.empty());
    styles.TrySetStyle("Neon", TStylesUtils::TUnknownName::ShowError);
    EXPECT_EQ(errors, std::vector<std::string>{"Style 'Neon' not found"});
    EXPECT_EQ(styles.GetActiveTheme(), "Glow");
    EXPECT_EQ(engine.applied, std::vector<std::string>{"Glow"});
}

}  // namespace
}  // namespace zorv
