#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zorv {

// Conversions between the encodings that settings files and platform texts arrive in and the
// UTF-8 used everywhere in the portable core. None of them throws; bytes that cannot be
// decoded become U+FFFD.
class TTextEncoding {
public:
    TTextEncoding() = delete;

    static constexpr char32_t ReplacementCharacter = 0xFFFD;

    // Length of the well-formed UTF-8 sequence at `text[pos]`, or 0 when the bytes there are not
    // one (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, truncated).
    static std::size_t ValidUtf8SequenceLength(std::string_view text, std::size_t pos);
    static bool IsValidUtf8(std::string_view text);
    // `text` with every byte that does not start a well-formed sequence replaced by U+FFFD.
    static std::string SanitizeUtf8(std::string_view text);

    static void AppendUtf8(std::string& out, char32_t codePoint);
    // UTF-16 code units of the given byte order; a lone surrogate becomes U+FFFD and an odd
    // final byte is dropped.
    static std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);
    static std::string Windows1252ToUtf8(std::string_view bytes);
    // Text in the system's ANSI code page: on Windows the code page the system is set to
    // (Windows-1251 on a Russian system, for example), elsewhere Windows-1252.
    static std::string AnsiToUtf8(std::string_view bytes);
};

}  // namespace zorv
