#include "bridge/ActiveTheme.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ThemeEngine.h"

namespace zorv::test {
namespace {

class TRecordingThemeEngine : public IThemeEngine {
public:
    void ApplyTheme(const std::string& catalogueName) override { applied.push_back(catalogueName); }
    std::vector<std::string> applied;
};

class ActiveThemeFixture : public testing::Test {
protected:
    TRecordingThemeEngine engine;
    std::vector<std::string> errors;
    TActiveTheme styles{engine, [this](const std::string& message) { errors.push_back(message); }};
};

TEST_F(ActiveThemeFixture, StartsWithTheSystemLook) {
    EXPECT_EQ(styles.GetActiveTheme(), "Windows");
    EXPECT_TRUE(engine.applied.empty());
}

TEST_F(ActiveThemeFixture, SetsThemeByItsCatalogueSpelling) {
    styles.TrySetStyle("carbon", TActiveTheme::TUnknownName::ShowError);
    EXPECT_EQ(styles.GetActiveTheme(), "Carbon");
    EXPECT_EQ(engine.applied, std::vector<std::string>{"Carbon"});
    EXPECT_TRUE(errors.empty());

    styles.TrySetStyle("WINDOWS", TActiveTheme::TUnknownName::ShowError);
    EXPECT_EQ(styles.GetActiveTheme(), "Windows");
    EXPECT_EQ(engine.applied, (std::vector<std::string>{"Carbon", "Windows"}));
}

TEST_F(ActiveThemeFixture, SettingTheActiveThemeAgainChangesNothing) {
    styles.TrySetStyle("Sky", TActiveTheme::TUnknownName::Ignore);
    styles.TrySetStyle("Sky", TActiveTheme::TUnknownName::Ignore);
    styles.TrySetStyle("sky", TActiveTheme::TUnknownName::Ignore);
    EXPECT_EQ(engine.applied, std::vector<std::string>{"Sky"});
}

TEST_F(ActiveThemeFixture, UnknownNameKeepsThemeAndReportsOnlyWhenAsked) {
    styles.TrySetStyle("Glow", TActiveTheme::TUnknownName::Ignore);
    styles.TrySetStyle("Neon", TActiveTheme::TUnknownName::Ignore);
    EXPECT_TRUE(errors.empty());
    styles.TrySetStyle("Neon", TActiveTheme::TUnknownName::ShowError);
    EXPECT_EQ(errors, std::vector<std::string>{"Style 'Neon' not found"});
    EXPECT_EQ(styles.GetActiveTheme(), "Glow");
    EXPECT_EQ(engine.applied, std::vector<std::string>{"Glow"});
}

}  // namespace
}  // namespace zorv::test
