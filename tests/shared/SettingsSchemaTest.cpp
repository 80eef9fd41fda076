#include "shared/SettingsSchema.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

#include "shared/MemIniFile.h"
#include "shared/ProjectSettings.h"

namespace zorv {
namespace {

std::string ReadmeText() {
    const char* source = std::getenv("ZORV_SOURCE_DIR");
    if (source == nullptr) return {};
    std::ifstream in(std::string(source) + "/README.md", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The README's reference table is the description's, row for row.
TEST(SettingsSchema, ReadmeTableIsTheDescription) {
    const std::string readme = ReadmeText();
    if (readme.empty()) GTEST_SKIP() << "the source folder is not there";
    EXPECT_NE(readme.find(std::string("### Keys of section `[App]`\n\n").append(TSettingsSchema::MarkdownTable())),
              std::string::npos)
        << "README.md must hold, under \"### Keys of section `[App]`\":\n"
        << TSettingsSchema::MarkdownTable();
}

// Every field of the settings in one text, so that two readings can be compared whole.
std::string Fingerprint(const TProjectSettings& s) {
    std::string text;
    for (const std::string* field :
         {&s.id, &s.name, &s.dirName, &s.indexHtml, &s.urlSpace, &s.theme, &s.password, &s.icon})
        text += *field + "|";
    for (const int32_t field : {s.installFormColor.value, s.installIndicatorColor, s.installIndicatorType, s.top,
                                s.left, s.width, s.height, s.maxWidth, s.maxHeight, s.minWidth, s.minHeight,
                                s.windowPosition, s.windowStyle, s.windowBorder, s.windowState, s.windowOrder})
        text += std::to_string(field) + "|";
    for (const bool field : {s.allowInstances, s.edgeInstaller, s.allowDebug, s.allowContextMenu, s.dynamicAppTitle})
        text += field ? "1" : "0";
    return text;
}

// Every described key is read by TProjectSettings, with the described default: another value
// changes what Read gives, the default written out does not.
TEST(SettingsSchema, EveryDescribedKeyIsReadWithItsDefault) {
    const std::string defaults = Fingerprint(TProjectSettings::Defaults());
    for (const TSettingKey& key : TSettingsSchema::Keys()) {
        const bool zeroDefault = TSettingsSchema::IntegerDefault(key) == 0;
        const std::string other = key.type == TSettingType::String ? "other" : zeroDefault ? "1" : "0";
        TMemIniFile changed;
        changed.SetText(std::string("[App]\n").append(key.name).append("=").append(other));
        EXPECT_NE(Fingerprint(TProjectSettings::Read(changed)), defaults) << key.name << " is not read";
        TMemIniFile same;
        same.SetText(std::string("[App]\n").append(key.name).append("=").append(key.defaultValue));
        EXPECT_EQ(Fingerprint(TProjectSettings::Read(same)), defaults) << key.name << "'s default differs";
    }
}

TEST(SettingsSchema, DefaultsAreThoseTheRuntimeAlwaysHad) {
    const TProjectSettings s = TProjectSettings::Defaults();
    EXPECT_EQ(s.indexHtml, "index.html");
    EXPECT_EQ(s.urlSpace, "file");
    EXPECT_EQ(s.theme, "Windows");
    EXPECT_TRUE(s.edgeInstaller);
    EXPECT_EQ(static_cast<uint32_t>(s.installFormColor.value), 0xFF00001Au);
    EXPECT_EQ(s.installIndicatorColor, 1);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.top, 50);
    EXPECT_EQ(s.windowBorder, 2);
    EXPECT_FALSE(s.allowDebug);
}

TEST(SettingsSchema, NamesAreUniqueAndFoundIgnoringCase) {
    std::set<std::string> lowered;
    for (const TSettingKey& key : TSettingsSchema::Keys()) {
        std::string name(key.name);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(lowered.insert(name).second) << key.name;
        EXPECT_EQ(TSettingsSchema::Find(name), &key);
        EXPECT_FALSE(key.brief.empty()) << key.name;
        EXPECT_FALSE(key.meaning.empty()) << key.name;
    }
    EXPECT_EQ(TSettingsSchema::Find("Widths"), nullptr);
}

TEST(SettingsSchema, NearestKeyOfAMisspeltName) {
    struct TCase {
        const char* written;
        const char* nearest;  // nullptr: none is close enough
    };
    for (const TCase& c : {TCase{"Widht", "Width"}, TCase{"heigth", "Height"}, TCase{"DirNam", "DirName"},
                           TCase{"AllowDebugging", nullptr}, TCase{"Titel", nullptr}, TCase{"X", nullptr},
                           TCase{"IndexHTM", "IndexHtml"}, TCase{"WindowBoarder", "WindowBorder"}}) {
        const TSettingKey* nearest = TSettingsSchema::Nearest(c.written);
        if (c.nearest == nullptr) {
            EXPECT_EQ(nearest, nullptr) << c.written << " -> " << (nearest ? nearest->name : "");
        } else {
            ASSERT_NE(nearest, nullptr) << c.written;
            EXPECT_EQ(nearest->name, c.nearest) << c.written;
        }
    }
}

// A new project's zorv.ini reads as the defaults with the given identity, and names every key.
TEST(SettingsSchema, CommentedIniListsEveryKeyAndReadsAsTheDefaults) {
    const std::string text = TSettingsSchema::CommentedIni("com.example.notes", "Notes", "app");
    TMemIniFile ini;
    ini.SetText(text);
    const TProjectSettings s = TProjectSettings::Read(ini);
    EXPECT_EQ(s.id, "com.example.notes");
    EXPECT_EQ(s.name, "Notes");
    EXPECT_EQ(s.dirName, "app");
    EXPECT_EQ(s.width, 800);
    for (const TSettingKey& key : TSettingsSchema::Keys())
        EXPECT_TRUE(text.find(std::string("\n;").append(key.name).append("=")) != std::string::npos ||
                    text.find(std::string("\n").append(key.name).append("=")) != std::string::npos)
            << key.name;
}

}  // namespace
}  // namespace zorv
