#include "shared/StylesUtils.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zorv::test
