#include "shared/StylesUtils.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zorv::test {
namespace {

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

// Backends key their colours by TStyle: every style is found again by its own name, exactly as
// the catalogue spells it, and the system look is no style.
TEST(StylesCatalogue, EachStyleIsFoundByItsOwnNameOnly) {
    std::vector<std::string> names;
    TStylesUtils::GetAvailables(names, TStylesUtils::TOrder::Catalogue);
    ASSERT_EQ(names.size(), TStylesUtils::StyleCount + 1);
    for (std::size_t i = 0; i < TStylesUtils::StyleCount; ++i) {
        const auto style = static_cast<TStyle>(i);
        EXPECT_EQ(TStylesUtils::StyleName(style), names[i + 1]);
        EXPECT_EQ(TStylesUtils::StyleNamed(names[i + 1]), style) << names[i + 1];
    }
    EXPECT_EQ(TStylesUtils::StyleNamed("carbon"), std::nullopt);
    EXPECT_EQ(TStylesUtils::StyleNamed(TStylesUtils::SystemTheme), std::nullopt);
}

}  // namespace
}  // namespace zorv::test
