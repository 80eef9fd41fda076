#include "shared/Base64.h"

#include <gtest/gtest.h>

#include <string>

namespace zorv::test {
namespace {

struct TDecodeCase {
    const char* label;
    const char* text;
    const char* expected;  // nullptr: the text is rejected
};

class Base64Decode : public testing::TestWithParam<TDecodeCase> {};

TEST_P(Base64Decode, Decodes) {
    const auto& c = GetParam();
    const TResult<std::string> result = TBase64::Decode(c.text);
    if (c.expected == nullptr) {
        EXPECT_FALSE(result) << "decoded to: " << result.Value();
        EXPECT_FALSE(result.Error().empty());
    } else {
        ASSERT_TRUE(result) << result.Error();
        EXPECT_EQ(result.Value(), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Base64Decode,
    testing::Values(
        TDecodeCase{"Empty", "", ""}, TDecodeCase{"ThreeBytes", "YWJj", "abc"},
        TDecodeCase{"TwoGroups", "YWJjZGVm", "abcdef"}, TDecodeCase{"OnePadding", "YWI=", "ab"},
        TDecodeCase{"TwoPadding", "YQ==", "a"}, TDecodeCase{"PlusAndSlash", "+/+/", "\xFB\xFF\xBF"},
        // A final group without its padding is decoded, not dropped.
        TDecodeCase{"UnpaddedTailOfTwo", "YWJjYQ", "abca"}, TDecodeCase{"UnpaddedTailOfThree", "YWJjYWI", "abcab"},
        TDecodeCase{"LoneTrailingCharacter", "YWJjY", nullptr}, TDecodeCase{"Space", "YW Jj", nullptr},
        TDecodeCase{"LineBreak", "YWJj\nYWJj", nullptr}, TDecodeCase{"TrailingNewline", "YWJj\r\n", nullptr},
        TDecodeCase{"DataUrlPrefix", "data:text/plain;base64,YWJj", nullptr},
        TDecodeCase{"UrlSafeAlphabet", "-_-_", nullptr}, TDecodeCase{"PaddingInTheMiddle", "YQ==YWJj", nullptr},
        TDecodeCase{"PaddingNotClosingGroup", "YWJjYQ=", nullptr},
        TDecodeCase{"ThreePaddingCharacters", "Y===", nullptr}, TDecodeCase{"OnlyPadding", "====", nullptr},
        TDecodeCase{"NonAscii", "YWJj\xC3\xA9", nullptr}),
    [](const testing::TestParamInfo<TDecodeCase>& info) { return std::string(info.param.label); });

TEST(Base64Decode, ErrorNamesTheOffendingCharacterAndOffset) {
    EXPECT_EQ(TBase64::Decode("YWJj:").Error(), "Invalid Base64 character ':' at offset 4");
    EXPECT_EQ(TBase64::Decode("YW\nJj").Error(), "Invalid Base64 character byte 0x0A at offset 2");
}

TEST(Base64RoundTrip, EveryByteValueAndEveryTailLength) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    for (std::size_t length = 0; length <= all.size(); ++length) {
        const std::string bytes = all.substr(0, length);
        const std::string text = TBase64::Encode(bytes);
        EXPECT_EQ(text.size() % 4, 0u);
        const auto result = TBase64::Decode(text);
        ASSERT_TRUE(result) << result.Error();
        EXPECT_EQ(result.Value(), bytes) << "length " << length;
    }
    EXPECT_EQ(TBase64::Encode("abc"), "YWJj");
    EXPECT_EQ(TBase64::Encode("ab"), "YWI=");
    EXPECT_EQ(TBase64::Encode("a"), "YQ==");
}

}  // namespace
}  // namespace zorv::test
