#include "shared/MemIniFile.h"

#include <gtest/gtest.h>

#include <string>

namespace zorv::test {
namespace {

using namespace std::string_literals;

std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string Utf16Be(std::u16string_view text) {
    std::string bytes = "\xFE\xFF";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit >> 8);
        bytes += static_cast<char>(unit & 0xFF);
    }
    return bytes;
}

TMemIniFile Load(std::string_view bytes) {
    TMemIniFile ini;
    ini.SetText(bytes);
    return ini;
}

struct TEncodingCase {
    const char* label;
    std::string bytes;
    std::string expectedName;
};

class MemIniFileEncoding : public testing::TestWithParam<TEncodingCase> {};

TEST_P(MemIniFileEncoding, DecodesNameOfSectionApp) {
    EXPECT_EQ(Load(GetParam().bytes).ReadString("App", "Name", "<default>"), GetParam().expectedName);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, MemIniFileEncoding,
    testing::Values(TEncodingCase{"Utf8Bom", "\xEF\xBB\xBF[App]\r\nName=Caf\xC3\xA9", "Caf\xC3\xA9"},
                    TEncodingCase{"Utf16LeBom", Utf16Le(u"[App]\r\nName=Caf\u00E9 \U0001F600"),
                                  "Caf\xC3\xA9 \xF0\x9F\x98\x80"},
                    TEncodingCase{"Utf16BeBom", Utf16Be(u"[App]\nName=\u6D4B\u8BD5"), "\xE6\xB5\x8B\xE8\xAF\x95"},
                    TEncodingCase{"Utf16LoneSurrogate", Utf16Le(u"[App]\nName=a\xD800z"), "a\xEF\xBF\xBDz"},
                    TEncodingCase{"Utf16OddTrailingByte", Utf16Le(u"[App]\nName=ab") + "x", "ab"},
                    // No mark: valid UTF-8 stays UTF-8, anything else is read as Windows-1252.
                    TEncodingCase{"Utf8WithoutBom", "[App]\nName=Caf\xC3\xA9", "Caf\xC3\xA9"},
                    TEncodingCase{"Windows1252", "[App]\nName=Caf\xE9 \x80", "Caf\xC3\xA9 \xE2\x82\xAC"},
                    TEncodingCase{"NulEndsText", "[App]\nName=a\0\nName=b"s, "a"},
                    TEncodingCase{"Utf8BomWithBadBytes", "\xEF\xBB\xBF[App]\nName=a\xFF", "a\xEF\xBF\xBD"}),
    [](const testing::TestParamInfo<TEncodingCase>& info) { return std::string(info.param.label); });

TEST(MemIniFileEncoding, LegacyDecoderIsUsedOnlyForTextThatIsNotUtf8) {
    TMemIniFile ini;
    const auto upper = [](std::string_view bytes) { return std::string(bytes) + "!"; };
    ini.SetText("[App]\nName=\xE9", upper);
    EXPECT_EQ(ini.ReadString("App", "Name", ""), "\xEF\xBF\xBD!") << "decoder output is sanitised as UTF-8";
    ini.SetText("[App]\nName=ok", upper);
    EXPECT_EQ(ini.ReadString("App", "Name", ""), "ok");
}

// A file that exercises the line syntax; each case reads one key of it.
constexpr const char* SyntaxSample =
    "Stray=before any section\r\n"
    "; comment line\r\n"
    "   \t\r\n"
    "  [ app ]  \r\n"
    "name = My  App  \n"
    "  ;Hidden=1\r"
    "Quoted=\"x\"\r"
    "Empty=\n"
    "NoValue\n"
    "Dup=first\n"
    "[Other]\n"
    "Key=other\n"
    "Dup=other\n"
    "[APP]\n"
    "Dup=last\n"
    "Equation=a=b\n"
    "=nameless\n"
    "[Broken\n"
    "AfterBroken=still App\n";

struct TSyntaxCase {
    const char* section;
    const char* key;
    const char* expected;  // nullptr: reads as missing
};

class MemIniFileSyntax : public testing::TestWithParam<TSyntaxCase> {};

TEST_P(MemIniFileSyntax, ReadsKey) {
    const TMemIniFile ini = Load(SyntaxSample);
    const auto& c = GetParam();
    if (c.expected == nullptr) {
        EXPECT_FALSE(ini.ValueExists(c.section, c.key));
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), "<default>");
    } else {
        EXPECT_TRUE(ini.ValueExists(c.section, c.key));
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, MemIniFileSyntax,
                         testing::Values(TSyntaxCase{"App", "Name", "My  App"},   // blanks trimmed around, kept inside
                                         TSyntaxCase{"APP", "NAME", "My  App"},   // names ignore case
                                         TSyntaxCase{"App", "Stray", nullptr},    // before any section
                                         TSyntaxCase{"App", ";Hidden", nullptr},  // comment after a lone CR
                                         TSyntaxCase{"App", "Quoted", "\"x\""},   // quotes stay
                                         TSyntaxCase{"App", "Empty", ""},         // empty, not the default
                                         TSyntaxCase{"App", "NoValue", nullptr},  // no "=": missing
                                         TSyntaxCase{"App", "Dup", "last"},       // section continued, last wins
                                         TSyntaxCase{"Other", "Dup", "other"}, TSyntaxCase{"Other", "Key", "other"},
                                         TSyntaxCase{"App", "Key", nullptr},
                                         TSyntaxCase{"App", "Equation", "a=b"},  // split at the first "="
                                         TSyntaxCase{"App", "", nullptr},
                                         TSyntaxCase{"App", "AfterBroken", "still App"},  // "[Broken" is no header
                                         TSyntaxCase{"Missing", "Name", nullptr}));

TEST(MemIniFile, SetTextReplacesEarlierContent) {
    TMemIniFile ini = Load("[App]\nID=one\nName=n");
    ini.SetText("[App]\nID=two");
    EXPECT_EQ(ini.ReadString("App", "ID", ""), "two");
    EXPECT_FALSE(ini.ValueExists("App", "Name"));
}

TEST(MemIniFile, EmptyTextReadsEveryDefault) {
    const TMemIniFile ini = Load("");
    EXPECT_EQ(ini.ReadString("App", "ID", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("App", "Width", 800), 800);
    EXPECT_TRUE(ini.ReadBool("App", "EdgeInstaller", true));
}

struct TIntegerCase {
    const char* value;
    int32_t expected;  // the default is 777
};

class MemIniFileInteger : public testing::TestWithParam<TIntegerCase> {};

TEST_P(MemIniFileInteger, Reads) {
    const TMemIniFile ini = Load(std::string("[App]\nValue=") + GetParam().value + "\n");
    EXPECT_EQ(ini.ReadInteger("App", "Value", 777), GetParam().expected) << "value: " << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, MemIniFileInteger,
                         testing::Values(TIntegerCase{"42", 42}, TIntegerCase{"-7", -7}, TIntegerCase{"+5", 5},
                                         TIntegerCase{"007", 7}, TIntegerCase{"2147483647", 2147483647},
                                         TIntegerCase{"-2147483648", INT32_MIN}, TIntegerCase{"2147483648", 777},
                                         TIntegerCase{"99999999999999999999", 777}, TIntegerCase{"$FF", 255},
                                         TIntegerCase{"$ff", 255}, TIntegerCase{"0xff", 255}, TIntegerCase{"0XFF", 255},
                                         TIntegerCase{"0x1A", 26},
                                         TIntegerCase{"$FF00001A", static_cast<int32_t>(0xFF00001Au)},
                                         TIntegerCase{"0xFFFFFFFF", -1}, TIntegerCase{"0x100000000", 777},
                                         TIntegerCase{"0x", 777}, TIntegerCase{"$", 777}, TIntegerCase{"0xG1", 777},
                                         TIntegerCase{"x10", 777}, TIntegerCase{"12abc", 777}, TIntegerCase{"1 2", 777},
                                         TIntegerCase{"true", 777}, TIntegerCase{"1.5", 777}, TIntegerCase{"", 777},
                                         TIntegerCase{"-", 777}, TIntegerCase{"0", 0}));

TEST(MemIniFileInteger, ColourWithEitherHexPrefixReadsTheSame) {
    const TMemIniFile ini = Load("[App]\nA=0x00FF8000\nB=$00FF8000\nC=0x\n");
    EXPECT_EQ(ini.ReadInteger("App", "A", 1), 0x00FF8000);
    EXPECT_EQ(ini.ReadInteger("App", "A", 1), ini.ReadInteger("App", "B", 2));
    EXPECT_EQ(ini.ReadInteger("App", "C", static_cast<int32_t>(0xFF00001Au)), static_cast<int32_t>(0xFF00001Au));
}

struct TBoolCase {
    const char* value;  // nullptr: key missing
    bool def;
    bool expected;
};

class MemIniFileBool : public testing::TestWithParam<TBoolCase> {};

TEST_P(MemIniFileBool, ReadsIntegerNonZeroAsTrue) {
    const auto& c = GetParam();
    const TMemIniFile ini = Load(c.value ? std::string("[App]\nFlag=") + c.value : std::string("[App]\n"));
    EXPECT_EQ(ini.ReadBool("App", "Flag", c.def), c.expected) << (c.value ? c.value : "(missing)");
}

INSTANTIATE_TEST_SUITE_P(Values, MemIniFileBool,
                         testing::Values(TBoolCase{"1", false, true}, TBoolCase{"0", true, false},
                                         TBoolCase{"2", false, true}, TBoolCase{"-1", false, true},
                                         TBoolCase{"$10", false, true}, TBoolCase{"true", false, false},
                                         TBoolCase{"true", true, true}, TBoolCase{"false", true, true},
                                         TBoolCase{"", true, true}, TBoolCase{nullptr, true, true},
                                         TBoolCase{nullptr, false, false}));

}  // namespace
}  // namespace zorv::test
