#include "shared/ProjectSettings.h"

#include <gtest/gtest.h>

#include "shared/MemIniFile.h"

namespace zorv::test {
namespace {

TProjectSettings ReadSettings(std::string_view text) {
    TMemIniFile ini;
    ini.SetText(text);
    return TProjectSettings::Read(ini);
}

TEST(ProjectSettings, EmptyFileGivesEveryDefault) {
    const TProjectSettings s = ReadSettings("");
    EXPECT_FALSE(s.HasIdentity());
    EXPECT_EQ(s.indexHtml, "index.html");
    EXPECT_EQ(s.theme, "Windows");
    EXPECT_FALSE(s.allowInstances);
    EXPECT_TRUE(s.edgeInstaller);
    EXPECT_EQ(static_cast<uint32_t>(s.installFormColor.value), 0xFF00001Au);
    EXPECT_EQ(s.installIndicatorColor, 1);
    EXPECT_EQ(s.installIndicatorType, 0);
    EXPECT_FALSE(s.HasPassword());
    EXPECT_FALSE(s.allowDebug);
    EXPECT_FALSE(s.allowContextMenu);
    EXPECT_EQ(s.top, 50);
    EXPECT_EQ(s.left, 50);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.maxWidth, 0);
    EXPECT_EQ(s.minHeight, 0);
    EXPECT_EQ(s.windowPosition, 0);
    EXPECT_EQ(s.windowStyle, 0);
    EXPECT_EQ(s.windowBorder, 2);
    EXPECT_EQ(s.windowState, 0);
    EXPECT_EQ(s.windowOrder, 0);
    EXPECT_FALSE(s.dynamicAppTitle);
}

TEST(ProjectSettings, ReadsEveryKeyOfSectionApp) {
    const TProjectSettings s = ReadSettings(
        "[app]\n"
        "id=com.example.notes\nNAME=Notes\nDirName=app\nIndexHtml=start.html\nTheme=Carbon\n"
        "AllowInstances=1\nEdgeInstaller=0\nInstallFormColor=$00336699\nInstallIndicatorColor=0\n"
        "InstallIndicatorType=2\nPassword=s3cret\nAllowDebug=1\nAllowContextMenu=1\n"
        "Top=10\nLeft=20\nWidth=1024\nHeight=768\nMaxWidth=1600\nMaxHeight=1200\nMinWidth=320\nMinHeight=240\n"
        "WindowPosition=1\nWindowStyle=1\nWindowBorder=3\nWindowState=1\nWindowOrder=1\nDynamicAppTitle=1\n");
    EXPECT_EQ(s.id, "com.example.notes");
    EXPECT_EQ(s.name, "Notes");
    EXPECT_EQ(s.dirName, "app");
    EXPECT_TRUE(s.HasIdentity());
    EXPECT_EQ(s.indexHtml, "start.html");
    EXPECT_EQ(s.theme, "Carbon");
    EXPECT_TRUE(s.allowInstances);
    EXPECT_FALSE(s.edgeInstaller);
    EXPECT_EQ(s.installFormColor.value, 0x00336699);
    EXPECT_EQ(s.installIndicatorColor, 0);
    EXPECT_EQ(s.installIndicatorType, 2);
    EXPECT_EQ(s.password, "s3cret");
    EXPECT_TRUE(s.allowDebug);
    EXPECT_TRUE(s.allowContextMenu);
    EXPECT_EQ(s.top, 10);
    EXPECT_EQ(s.left, 20);
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 768);
    EXPECT_EQ(s.maxWidth, 1600);
    EXPECT_EQ(s.maxHeight, 1200);
    EXPECT_EQ(s.minWidth, 320);
    EXPECT_EQ(s.minHeight, 240);
    EXPECT_EQ(s.windowPosition, 1);
    EXPECT_EQ(s.windowStyle, 1);
    EXPECT_EQ(s.windowBorder, 3);
    EXPECT_EQ(s.windowState, 1);
    EXPECT_EQ(s.windowOrder, 1);
    EXPECT_TRUE(s.dynamicAppTitle);
}

TEST(ProjectSettings, BooleanWordsReadAsTheKeysOwnDefault) {
    const TProjectSettings s = ReadSettings("[App]\nEdgeInstaller=false\nAllowInstances=true\n");
    EXPECT_TRUE(s.edgeInstaller);
    EXPECT_FALSE(s.allowInstances);
}

TEST(ProjectSettings, EmptyValuesStayEmptyRatherThanDefault) {
    const TProjectSettings s = ReadSettings("[App]\nPassword=\nIndexHtml=\nTheme=\n");
    EXPECT_FALSE(s.HasPassword());
    EXPECT_EQ(s.indexHtml, "");
    EXPECT_EQ(s.theme, "");
}

struct TColorCase {
    uint32_t value;
    bool system;
    const char* html;
};

class ColorSetting : public testing::TestWithParam<TColorCase> {};

TEST_P(ColorSetting, DecodesWindowsEncoding) {
    const TColorSetting color{static_cast<int32_t>(GetParam().value)};
    EXPECT_EQ(color.IsSystemColor(), GetParam().system);
    EXPECT_EQ(color.ToHtmlColor(), GetParam().html);
}

INSTANTIATE_TEST_SUITE_P(Values, ColorSetting,
                         testing::Values(TColorCase{0x00000000, false, "#000000"},
                                         TColorCase{0x00336699, false, "#996633"},  // 0x00BBGGRR
                                         TColorCase{0x000000FF, false, "#FF0000"},
                                         TColorCase{0xFF00001A, true, "#0066CC"},    // hot-light
                                         TColorCase{0xFF000005, true, "#FFFFFF"},    // window
                                         TColorCase{0xFF0000EE, true, "#000000"}));  // unknown number

}  // namespace
}  // namespace zorv::test
