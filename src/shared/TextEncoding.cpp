#include "shared/TextEncoding.h"

#include <array>

namespace zorv {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

char16_t ReadUnit(std::string_view bytes, std::size_t pos, bool bigEndian) {
    const auto first = static_cast<unsigned char>(bytes[pos]);
    const auto second = static_cast<unsigned char>(bytes[pos + 1]);
    return bigEndian ? static_cast<char16_t>((first << 8) | second) : static_cast<char16_t>((second << 8) | first);
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Windows-1252 bytes 0x80-0x9F; the five bytes the code page leaves undefined map to U+FFFD.
constexpr std::array<char16_t, 32> Cp1252High = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                                 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

}  // namespace

std::size_t TTextEncoding::ValidUtf8SequenceLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char minSecond = 0x80;
    unsigned char maxSecond = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) minSecond = 0xA0;  // overlong
        if (lead == 0xED) maxSecond = 0x9F;  // UTF-16 surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) minSecond = 0x90;  // overlong
        if (lead == 0xF4) maxSecond = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    const auto second = static_cast<unsigned char>(text[pos + 1]);
    if (second < minSecond || second > maxSecond) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(text[pos + i]))) return 0;
    }
    return length;
}

bool TTextEncoding::IsValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = ValidUtf8SequenceLength(text, pos);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

std::string TTextEncoding::SanitizeUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = ValidUtf8SequenceLength(text, pos);
        if (length == 0) {
            AppendUtf8(out, ReplacementCharacter);
            ++pos;
        } else {
            out.append(text.substr(pos, length));
            pos += length;
        }
    }
    return out;
}

void TTextEncoding::AppendUtf8(std::string& out, char32_t codePoint) {
    if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) codePoint = ReplacementCharacter;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string TTextEncoding::Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t unitCount = bytes.size() / 2;
    for (std::size_t i = 0; i < unitCount; ++i) {
        const char16_t unit = ReadUnit(bytes, i * 2, bigEndian);
        if (IsHighSurrogate(unit) && i + 1 < unitCount) {
            const char16_t next = ReadUnit(bytes, (i + 1) * 2, bigEndian);
            if (IsLowSurrogate(next)) {
                AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, unit);  // a lone surrogate comes out as U+FFFD
    }
    return out;
}

std::string TTextEncoding::Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0x9F) {
            AppendUtf8(out, Cp1252High[byte - 0x80]);
        } else {
            AppendUtf8(out, byte);
        }
    }
    return out;
}

}  // namespace zorv
