#include "shared/SettingsSchema.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <type_traits>
#include <utility>
#include <variant>

#include "shared/MemIniFile.h"
#include "shared/ProjectSettings.h"

namespace zorv::test {
namespace {

std::string ReadmeText() {
    const char* source = std::getenv("ZORV_SOURCE_DIR");
    if (source == nullptr) return {};
    std::ifstream in(std::string(source) + "/README.md", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The README's reference table is the description's, row for row, as scripts/update-settings-table.sh
// writes it.
TEST(SettingsSchema, ReadmeTableIsTheDescription) {
    const std::string readme = ReadmeText();
    if (readme.empty()) GTEST_SKIP() << "the source folder is not there";
    EXPECT_NE(readme.find(std::string("### Keys of section `[App]`\n\n").append(TSettingsSchema::MarkdownTable())),
              std::string::npos)
        << "README.md's table of zorv.ini keys differs from the settings schema; write it anew with "
           "`bash scripts/update-settings-table.sh`";
}

// The member a key is read into, as text.
std::string FieldText(const TProjectSettings& s, const TSettingField& field) {
    struct TText {
        const TProjectSettings& s;
        std::string operator()(std::string TProjectSettings::*f) const { return s.*f; }
        std::string operator()(int32_t TProjectSettings::*f) const { return std::to_string(s.*f); }
        std::string operator()(bool TProjectSettings::*f) const { return s.*f ? "true" : "false"; }
        std::string operator()(TColorSetting TProjectSettings::*f) const { return std::to_string((s.*f).value); }
    };
    return std::visit(TText{s}, field);
}

// Every described key is read into its own member of TProjectSettings, with the described
// default: another value changes that member alone, the default written out changes nothing.
TEST(SettingsSchema, EveryDescribedKeyIsReadIntoItsMemberWithItsDefault) {
    const TProjectSettings defaults = TProjectSettings::Defaults();
    for (const TSettingKey& key : TSettingsSchema::Keys()) {
        const bool zeroDefault = TSettingsSchema::IntegerDefault(key) == 0;
        const std::string other = key.type == TSettingType::String ? "other" : zeroDefault ? "1" : "0";
        TMemIniFile changed;
        changed.SetText(std::string("[App]\n").append(key.name).append("=").append(other));
        TMemIniFile same;
        same.SetText(std::string("[App]\n").append(key.name).append("=").append(key.defaultValue));
        for (const TSettingKey& member : TSettingsSchema::Keys()) {
            const std::string before = FieldText(defaults, member.field);
            if (&member == &key)
                EXPECT_NE(FieldText(TProjectSettings::Read(changed), member.field), before)
                    << key.name << " is not read";
            else
                EXPECT_EQ(FieldText(TProjectSettings::Read(changed), member.field), before)
                    << key.name << " changes " << member.name;
            EXPECT_EQ(FieldText(TProjectSettings::Read(same), member.field), before)
                << key.name << "'s default differs";
        }
    }
}

// The member's type is the key's: strings in strings, integers in integers, booleans in booleans.
TEST(SettingsSchema, EachKeysMemberHasItsType) {
    for (const TSettingKey& key : TSettingsSchema::Keys()) {
        const TSettingType memberType = std::visit(
            [](auto field) {
                using TValue = std::remove_reference_t<decltype(std::declval<TProjectSettings&>().*field)>;
                if constexpr (std::is_same_v<TValue, std::string>) return TSettingType::String;
                if constexpr (std::is_same_v<TValue, int32_t>) return TSettingType::Integer;
                if constexpr (std::is_same_v<TValue, bool>) return TSettingType::Boolean;
                return TSettingType::Colour;
            },
            key.field);
        EXPECT_EQ(TSettingsSchema::TypeName(memberType), TSettingsSchema::TypeName(key.type)) << key.name;
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
}  // namespace zorv::test
