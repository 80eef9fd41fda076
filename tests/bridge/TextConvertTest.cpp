#include <gtest/gtest.h>

#include <optional>

#include "bridge/TextConvert.h"

namespace zorv::test {
namespace {

TEST(TextConvert, Int32FromText) {
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"10001", 10001},
        {"  12", 12},
        {"+5", 5},
        {"-5", -5},
        {"$FF", 255},
        {"0x10", 16},
        {"0X1f", 31},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$100000000", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"1.5", std::nullopt},
        {"12 ", std::nullopt},
        {"--1", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"1e3", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        int32_t value = 0;
        const bool ok = TTextConvert::TryStrToInt32(text, value);
        EXPECT_EQ(ok, expected.has_value()) << '"' << text << '"';
        if (ok && expected) {
            EXPECT_EQ(value, *expected) << '"' << text << '"';
        }
    }
}

TEST(TextConvert, BooleanFromText) {
    const std::pair<const char*, std::optional<bool>> cases[] = {
        {"true", true},        {"TRUE", true},     {"False", false},      {"FALSE", false},      {"0", false},
        {"1", true},           {"-3", true},       {"0.0", false},        {"1.5", true},         {"no", std::nullopt},
        {"yes", std::nullopt}, {"", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt}, {"0x1", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        bool value = false;
        const bool ok = TTextConvert::TryStrToBool(text, value);
        EXPECT_EQ(ok, expected.has_value()) << '"' << text << '"';
        if (ok && expected) {
            EXPECT_EQ(value, *expected) << '"' << text << '"';
        }
    }
}

}  // namespace
}  // namespace zorv::test
