#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

// In-memory settings file: sections, "key=value" lines, ";" comments, names matched without
// regard to ASCII letter case, the last duplicate wins. Never written back.
//
// Text encoding: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE. Text without a mark
// is read as UTF-8 when it is valid UTF-8, else through the legacy decoder (the system's ANSI code
// page unless the caller passes its own).
class TMemIniFile {
public:
    // Turns bytes in some legacy single- or multi-byte encoding into UTF-8.
    using TLegacyDecoder = std::function<std::string(std::string_view)>;

    // Replaces the content with the text decoded from `bytes`.
    void SetText(std::string_view bytes);
    void SetText(std::string_view bytes, const TLegacyDecoder& legacyDecoder);
    std::string ReadString(std::string_view section, std::string_view key, const std::string& def) const;
    // 32-bit signed: decimal, "$hex" or "0xhex" (hex up to 32 bits, wrapping into the sign as
    // Windows colour values need). Anything else, or a missing key, gives `def`.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    // An integer; non-zero is true. Words such as "true" are not numbers and give `def`.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    // A key as a line of the text wrote it: its name as written and its line number (from 1).
    struct TKeyLine {
        std::string name;
        int line = 0;
    };
    // Every key line of a section, in the order of the text, duplicates included.
    std::vector<TKeyLine> KeyLines(std::string_view section) const;

    // The UTF-8 text of a settings file's bytes, without byte-order mark, cut at the first NUL.
    static std::string DecodeText(std::string_view bytes, const TLegacyDecoder& legacyDecoder = {});
    // The number an integer value stands for, or nothing when it is not one.
    static std::optional<int32_t> ParseInteger(std::string_view value);

private:
    const std::string* FindValue(std::string_view section, std::string_view key) const;
    void ParseLines(std::string_view text);

    // Lower-cased section name -> lower-cased key -> value (last duplicate wins).
    std::map<std::string, std::map<std::string, std::string>> FSections;
    // Lower-cased section name -> its key lines, for reports that name the line.
    std::map<std::string, std::vector<TKeyLine>> FKeyLines;
};

}  // namespace zorv
