#include "runtime/WindowSettings.h"

#include <gtest/gtest.h>

#include "shared/MemIniFile.h"

namespace zorv {
namespace {

TWindowSettings FromText(const std::string& appLines) {
    TMemIniFile ini;
    ini.SetText("[App]\n" + appLines);
    return TWindowSettings::FromIni(ini, "My App");
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
    const TWindowSettings s = FromText("Width=1024\nHeight=700\nMaxWidth=1200\nMaxHeight=900\nMinWidth=400\nMinHeight=300\n");
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 700);
    EXPECT_EQ(s.maxWidth, 1200);
    EXPECT_EQ(s.maxHeight, 900);
    EXPECT_EQ(s.minWidth, 400);
    EXPECT_EQ(s.minHeight, 300);
}

TEST(WindowSettingsTest, NonsenseSizesStayUsable) {
    const TWindowSettings s = FromText("Width=-5\nHeight=0\nMaxWidth=-1\nMinHeight=-20\n");
    EXPECT_GE(s.width, 1);
    EXPECT_GE(s.height, 1);
    EXPECT_EQ(s.maxWidth, 0);
    EXPECT_EQ(s.minHeight, 0);
}

TEST(WindowSettingsTest, DynamicTitleAndWebViewSwitches) {
    TMemIniFile ini;
    ini.SetText("[App]\nDynamicAppTitle=1\nAllowDebug=1\nAllowContextMenu=2\n");
    EXPECT_TRUE(TWindowSettings::DynamicAppTitle(ini));
    const TWindowSettings s = TWindowSettings::FromIni(ini, "x");
    EXPECT_TRUE(s.allowDebug);
    EXPECT_TRUE(s.allowContextMenu);
}

}  // namespace
}  // namespace zorv
