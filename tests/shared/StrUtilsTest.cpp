#include "shared/StrUtils.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <random>
#include <string>

#include "shared/TextEncoding.h"

namespace zorv::test {
namespace {

using namespace std::string_literals;

struct TJsonCase {
    const char* label;
    std::string value;
    std::string expected;
};

class StringToJsonString : public testing::TestWithParam<TJsonCase> {};

TEST_P(StringToJsonString, WritesLiteral) {
    const std::string literal = TStrUtils::StringToJsonString(GetParam().value);
    EXPECT_EQ(literal, GetParam().expected);
    const auto parsed = nlohmann::json::parse(literal);  // throws on invalid JSON
    EXPECT_TRUE(parsed.is_string());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StringToJsonString,
    testing::Values(TJsonCase{"Empty", "", R"("")"}, TJsonCase{"Plain", "hello world", R"("hello world")"},
                    TJsonCase{"BackslashSolidusQuote", R"(a\b/c"d)", R"("a\\b\/c\"d")"},
                    TJsonCase{"WindowsPath", R"(C:\Users\me\)", R"("C:\\Users\\me\\")"},
                    TJsonCase{"CrLf", "a\r\nb", R"("a\r\nb")"},
                    TJsonCase{"NamedControls", "\b\t\n\f\r", R"("\b\t\n\f\r")"},
                    TJsonCase{"U0001", "\x01", R"("\u0001")"}, TJsonCase{"U001F", "\x1F", R"("\u001F")"},
                    TJsonCase{"Nul", "a\0b"s, R"("a\u0000b")"}, TJsonCase{"Del", "\x7F", "\"\x7F\""},
                    TJsonCase{"NonAsciiRaw", "Caf\xC3\xA9 \xE6\xB5\x8B \xF0\x9F\x98\x80",
                              "\"Caf\xC3\xA9 \xE6\xB5\x8B \xF0\x9F\x98\x80\""},
                    TJsonCase{"LineSeparators",
                              "a\xE2\x80\xA8"
                              "b\xE2\x80\xA9",
                              R"("a\u2028b\u2029")"},
                    // Bytes that are not UTF-8 become U+FFFD, one per byte.
                    TJsonCase{"StrayContinuation", "a\x80z", "\"a\xEF\xBF\xBDz\""},
                    TJsonCase{"TruncatedSequence", "a\xE6\xB5", "\"a\xEF\xBF\xBD\xEF\xBF\xBD\""},
                    TJsonCase{"Overlong", "\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
                    TJsonCase{"EncodedSurrogate", "\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
                    TJsonCase{"BeyondUnicode", "\xF4\x90\x80\x80",
                              "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
                    TJsonCase{"ByteFF", "\xFF", "\"\xEF\xBF\xBD\""}),
    [](const testing::TestParamInfo<TJsonCase>& info) { return std::string(info.param.label); });

TEST(StringToJsonStringRoundTrip, EveryAsciiCharacterParsesBackUnchanged) {
    std::string all;
    for (int c = 0; c < 128; ++c) all += static_cast<char>(c);
    EXPECT_EQ(nlohmann::json::parse(TStrUtils::StringToJsonString(all)).get<std::string>(), all);
}

// Up to 40 bytes of any value.
std::string RandomBytes(std::mt19937& generator) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 40);
    std::string value;
    for (int i = length(generator); i > 0; --i) value += static_cast<char>(byte(generator));
    return value;
}

TEST(StringToJsonStringRoundTrip, RandomBytesAlwaysGiveValidJsonOfTheSanitizedText) {
    std::mt19937 generator(20260101);
    for (int round = 0; round < 2000; ++round) {
        const std::string value = RandomBytes(generator);
        const std::string literal = TStrUtils::StringToJsonString(value);
        nlohmann::json parsed;
        ASSERT_NO_THROW(parsed = nlohmann::json::parse(literal)) << literal;
        EXPECT_EQ(parsed.get<std::string>(), TTextEncoding::SanitizeUtf8(value));
    }
}

// The bounded form gives the very same literal when it fits, and nothing when it is one byte
// longer than allowed, whatever characters and escapes it ends with.
TEST(StringToJsonStringWithin, GivesTheWholeLiteralOrNothing) {
    std::mt19937 generator(20260102);
    for (int round = 0; round < 2000; ++round) {
        const std::string value = RandomBytes(generator);
        const std::string literal = TStrUtils::StringToJsonString(value);
        EXPECT_EQ(TStrUtils::StringToJsonStringWithin(value, literal.size()), literal);
        EXPECT_EQ(TStrUtils::StringToJsonStringWithin(value, literal.size() - 1), std::nullopt) << literal;
    }
    EXPECT_EQ(TStrUtils::StringToJsonStringWithin("", 2), "\"\"");
    EXPECT_EQ(TStrUtils::StringToJsonStringWithin("", 1), std::nullopt);
}

struct TExplodeCase {
    const char* separator;
    const char* value;
    TArrayStrings expected;
};

class ExplodeStrings : public testing::TestWithParam<TExplodeCase> {};

TEST_P(ExplodeStrings, Splits) {
    EXPECT_EQ(TStrUtils::ExplodeStrings(GetParam().separator, GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExplodeStrings,
                         testing::Values(TExplodeCase{";", "a;b;", {"a", "b", ""}}, TExplodeCase{";", "", {""}},
                                         TExplodeCase{";", ";", {"", ""}}, TExplodeCase{";", ";;a", {"", "", "a"}},
                                         TExplodeCase{"|", "Text files|*.txt", {"Text files", "*.txt"}},
                                         TExplodeCase{"||", "a|b||c|||d", {"a|b", "c", "|d"}},
                                         TExplodeCase{"", "a;b", {"a;b"}},
                                         TExplodeCase{"X", "axbXc", {"axb", "c"}},  // case-sensitive
                                         TExplodeCase{"\n", "line1\nline2", {"line1", "line2"}}));

TEST(ImplodeStrings, JoinsWithSeparatorBetween) {
    EXPECT_EQ(TStrUtils::ImplodeStrings(",", {"a", "b"}), "a,b");
    EXPECT_EQ(TStrUtils::ImplodeStrings(", ", {"a"}), "a");
    EXPECT_EQ(TStrUtils::ImplodeStrings(",", {}), "");
    EXPECT_EQ(TStrUtils::ImplodeStrings(";", {"", "x", ""}), ";x;");
    const TArrayStrings pieces = TStrUtils::ExplodeStrings("::", "p::q::::r");
    EXPECT_EQ(TStrUtils::ImplodeStrings("::", pieces), "p::q::::r");
}

TEST(StrUtilsHelpers, QuotingRoundTrips) {
    const std::string text = R"(it's "a:b|c" \x)";
    EXPECT_EQ(TStrUtils::QuoteJavascript(text), R"(it\x27s \x22a:b|c\x22 \x)");
    EXPECT_EQ(TStrUtils::QuoteArguments(text), R"(it\x27s \x22a\x3ab\x7cc\x22 \x)");
    EXPECT_EQ(TStrUtils::UnquoteJavascript(TStrUtils::QuoteJavascript(text)), text);
    EXPECT_EQ(TStrUtils::UnquoteArguments(TStrUtils::QuoteArguments(text)), text);
}

TEST(StrUtilsHelpers, JavascriptArrayFromLines) {
    EXPECT_EQ(TStrUtils::GetJavascriptArrayFromMultilineString("  one \n\ntwo's\n"), R"("one", "two\x27s")");
    EXPECT_EQ(TStrUtils::GetJavascriptArrayFromMultilineString(""), "");
}

TEST(StrUtilsHelpers, UrlArguments) {
    EXPECT_EQ(TStrUtils::GetUrlArguments("file:///index.html?a=1&name=J%C3%BCrgen+M&&b=x%20y#frag"),
              (TArrayStrings{"a=1", "name=J\xC3\xBCrgen M", "b=x y"}));
    EXPECT_EQ(TStrUtils::GetUrlArguments("file:///index.html"), TArrayStrings{});
    EXPECT_EQ(TStrUtils::GetUrlArguments("?bad=%FF%zz"), (TArrayStrings{"bad=\xEF\xBF\xBD%zz"}));
}

TEST(StrUtilsHelpers, Resolution) {
    int32_t width = 0;
    int32_t height = 0;
    TStrUtils::StrToResolution("screen 1920x1080 @60", width, height);
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(height, 1080);
    TStrUtils::StrToResolution("no size here x 12", width, height);
    EXPECT_EQ(width, -1);
    EXPECT_EQ(height, -1);
}

TEST(StrUtilsHelpers, SmallFormatters) {
    EXPECT_EQ(TStrUtils::AddLeadingZeroes(7, 3), "007");
    EXPECT_EQ(TStrUtils::AddLeadingZeroes(12345, 3), "12345");
    EXPECT_EQ(TStrUtils::RepeatString("ab", 3), "ababab");
    EXPECT_EQ(TStrUtils::RepeatString("ab", 0), "");
    EXPECT_EQ(TStrUtils::Capitalize("hello"), "Hello");
    EXPECT_EQ(TStrUtils::Capitalize("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(TStrUtils::GetRandomString(10, "ab").size(), 10u);
    EXPECT_EQ(TStrUtils::GetRandomString(5, "z"), "zzzzz");
    EXPECT_EQ(TStrUtils::GetControlRandomSuffix("btn").size(), 14u);
}

TEST(StrUtilsHelpers, PathPrefixesIgnoreCase) {
    EXPECT_TRUE(TStrUtils::FilePathIsHttpUrl("HTTPS://example.org"));
    EXPECT_TRUE(TStrUtils::FilePathIsHttpUrl("http://x"));
    EXPECT_FALSE(TStrUtils::FilePathIsHttpUrl("file:///x"));
    EXPECT_TRUE(TStrUtils::FilePathIsAppRelative("App/Files/a.txt"));
    EXPECT_TRUE(TStrUtils::FilePathIsPluginRelative("app/plugins/p.js"));
    EXPECT_FALSE(TStrUtils::FilePathIsPluginRelative("app/files/p.js"));
}

TEST(StrUtilsHelpers, SubStringSearchOptions) {
    EXPECT_TRUE(TStrUtils::SubStringExists("Hello World", "world", false, false));
    EXPECT_FALSE(TStrUtils::SubStringExists("Hello World", "world", false, true));
    EXPECT_FALSE(TStrUtils::SubStringExists("Helloworld", "world", true, false));
    EXPECT_TRUE(TStrUtils::SubStringExists("a worlds world", "world", true, false));
    EXPECT_FALSE(TStrUtils::SubStringExists("abc", "", false, false));
}

}  // namespace
}  // namespace zorv::test
