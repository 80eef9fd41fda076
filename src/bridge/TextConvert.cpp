#include "bridge/TextConvert.h"

#include <charconv>
#include <cstdlib>
#include <string>

namespace zorv {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    return text;
}

bool TryParseNumber(std::string_view text, double& value) {
    text = TrimBlanks(text);
    if (text.empty()) return false;
    // strtod also takes "inf", "nan" and hexadecimal floats, which are no numbers here.
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E')) return false;
    }
    const std::string copy(text);
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size();
}

}  // namespace

bool TTextConvert::TryStrToInt32(std::string_view text, int32_t& value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.front() == '-' || text.front() == '+') return false;
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFull) return false;
        const auto bits =
            static_cast<uint32_t>(negative ? 0u - static_cast<uint32_t>(magnitude) : static_cast<uint32_t>(magnitude));
        value = static_cast<int32_t>(bits);
        return true;
    }
    if (magnitude > (negative ? 2147483648ull : 2147483647ull)) return false;
    value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
    return true;
}

bool TTextConvert::TryStrToBool(std::string_view text, bool& value) {
    double number = 0;
    if (TryParseNumber(text, number)) {
        value = number != 0;
        return true;
    }
    if (EqualsIgnoringCase(text, "true")) {
        value = true;
        return true;
    }
    if (EqualsIgnoringCase(text, "false")) {
        value = false;
        return true;
    }
    return false;
}

}  // namespace zorv
