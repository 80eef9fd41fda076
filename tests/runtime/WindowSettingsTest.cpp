#include "runtime/WindowSettings.h"

#include <gtest/gtest.h>

#include "shared/MemIniFile.h"
#include "shared/ProjectSettings.h"

namespace zorv::test {
namespace {

TWindowSettings FromText(const std::string& appLines) {
    TMemIniFile ini;
    ini.SetText("[App]\nName=My App\n" + appLines);
    return TWindowSettings::FromIni(ini);
}

TEST(WindowSettingsTest, DefaultsWithNoKeys) {
    const TWindowSettings s = FromText("");
    EXPECT_EQ(s.caption, "My App");
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.maxWidth, 0);
    EXPECT_EQ(s.minHeight, 0);
    EXPECT_TRUE(s.centred);
    EXPECT_FALSE(s.fullScreen);
    EXPECT_EQ(s.border, TBorderStyle::Sizeable);
    EXPECT_EQ(s.state, TWindowState::Normal);
    EXPECT_FALSE(s.stayOnTop);
    EXPECT_FALSE(s.allowDebug);
    EXPECT_FALSE(s.allowContextMenu);
}

struct TWindowCase {
    const char* lines;
    bool fullScreen;
    TBorderStyle border;
    TWindowState state;
    bool stayOnTop;
    bool centred;
};

class WindowSettingsCaseTest : public testing::TestWithParam<TWindowCase> {};

TEST_P(WindowSettingsCaseTest, ReadsStyleBorderStateOrderAndPlacement) {
    const TWindowCase& c = GetParam();
    const TWindowSettings s = FromText(c.lines);
    EXPECT_EQ(s.fullScreen, c.fullScreen) << c.lines;
    EXPECT_EQ(s.border, c.border) << c.lines;
    EXPECT_EQ(s.state, c.state) << c.lines;
    EXPECT_EQ(s.stayOnTop, c.stayOnTop) << c.lines;
    EXPECT_EQ(s.centred, c.centred) << c.lines;
}

using B = TBorderStyle;
using S = TWindowState;
INSTANTIATE_TEST_SUITE_P(
    Cases, WindowSettingsCaseTest,
    testing::Values(
        // Full screen wins over whatever border and state say.
        TWindowCase{"WindowStyle=1\nWindowBorder=3\nWindowState=0\n", true, B::None, S::Maximized, false, true},
        TWindowCase{"WindowStyle=2\nWindowBorder=3\n", false, B::Dialog, S::Normal, false, true},
        TWindowCase{"WindowState=1\n", false, B::Sizeable, S::Maximized, false, true},
        TWindowCase{"WindowState=2\n", false, B::Sizeable, S::Normal, false, true},
        TWindowCase{"WindowOrder=1\n", false, B::Sizeable, S::Normal, true, true},
        TWindowCase{"WindowOrder=2\n", false, B::Sizeable, S::Normal, false, true},
        TWindowCase{"WindowPosition=1\nTop=5\nLeft=5\n", false, B::Sizeable, S::Normal, false, false},
        TWindowCase{"WindowBorder=0\n", false, B::None, S::Normal, false, true},
        TWindowCase{"WindowBorder=5\n", false, B::SizeToolWin, S::Normal, false, true},
        TWindowCase{"WindowBorder=9\n", false, B::Sizeable, S::Normal, false, true},
        TWindowCase{"WindowBorder=-1\n", false, B::Sizeable, S::Normal, false, true},
        TWindowCase{"WindowBorder=abc\n", false, B::Sizeable, S::Normal, false, true}));

TEST(WindowSettingsTest, SizesAndLimits) {
    const TWindowSettings s =
        FromText("Width=1024\nHeight=700\nMaxWidth=1200\nMaxHeight=900\nMinWidth=400\nMinHeight=300\n");
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 700);
    EXPECT_EQ(s.maxWidth, 1200);
    EXPECT_EQ(s.maxHeight, 900);
    EXPECT_EQ(s.minWidth, 400);
    EXPECT_EQ(s.minHeight, 300);
}

// Sizes that would give a strip of a few pixels, or a window no display can map, stay usable.
TEST(WindowSettingsTest, NonsenseSizesStayUsable) {
    struct TCase {
        const char* lines;
        int width, height, minWidth, maxWidth, minHeight, maxHeight;
    };
    const TCase cases[] = {
        {"Width=-5\nHeight=0\nMaxWidth=-1\nMinHeight=-20\n", 800, 600, 0, 0, 0, 0},
        {"Height=-50\n", 800, 600, 0, 0, 0, 0},
        {"Width=3\nHeight=4\n", 100, 100, 0, 0, 0, 0},
        {"Width=99999999\nHeight=2147483647\n", 16384, 16384, 0, 0, 0, 0},
        {"MinWidth=900\nMaxWidth=500\nMinHeight=700\nMaxHeight=650\n", 500, 650, 500, 500, 650, 650},
        {"Width=300\nMinWidth=400\nHeight=900\nMaxHeight=700\n", 400, 700, 400, 0, 0, 700},
        {"MinWidth=1\nMaxHeight=2\n", 800, 100, 100, 0, 0, 100},
    };
    for (const TCase& c : cases) {
        const TWindowSettings s = FromText(c.lines);
        EXPECT_EQ(s.width, c.width) << c.lines;
        EXPECT_EQ(s.height, c.height) << c.lines;
        EXPECT_EQ(s.minWidth, c.minWidth) << c.lines;
        EXPECT_EQ(s.maxWidth, c.maxWidth) << c.lines;
        EXPECT_EQ(s.minHeight, c.minHeight) << c.lines;
        EXPECT_EQ(s.maxHeight, c.maxHeight) << c.lines;
    }
}

TEST(WindowSettingsTest, OverlongTitleIsCutForTheWindowManagerOnACharacterBoundary) {
    TProjectSettings settings;
    const std::string huge(10 << 20, 'n');
    settings.name = huge;
    EXPECT_EQ(TWindowSettings::FromSettings(settings).caption, huge.substr(0, TWindowSettings::MaxTitleBytes));
    // An "é" (two bytes) straddling the limit is left out whole.
    const std::string accented = std::string(TWindowSettings::MaxTitleBytes - 1, 'a') + "\xC3\xA9";
    EXPECT_EQ(TWindowSettings::TitleForWindowManager(accented), std::string(TWindowSettings::MaxTitleBytes - 1, 'a'));
    EXPECT_EQ(TWindowSettings::TitleForWindowManager("Short \xC3\xA9"), "Short \xC3\xA9");
}

TEST(WindowSettingsTest, DynamicTitleAndWebViewSwitches) {
    TMemIniFile ini;
    ini.SetText("[App]\nDynamicAppTitle=1\nAllowDebug=1\nAllowContextMenu=2\n");
    const TWindowSettings s = TWindowSettings::FromIni(ini);
    EXPECT_TRUE(s.dynamicAppTitle);
    EXPECT_TRUE(s.allowDebug);
    EXPECT_TRUE(s.allowContextMenu);
}

}  // namespace
}  // namespace zorv::test
