#include "shared/MemIniFile.h"

#include <limits>

#include "shared/TextEncoding.h"

namespace zorv {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<int32_t> ParseHex(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    for (const char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

std::optional<int32_t> ParseDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(value);
}

bool StartsWithHexPrefix(std::string_view value) {
    return value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X');
}

}  // namespace

std::string TMemIniFile::DecodeText(std::string_view bytes, const TLegacyDecoder& legacyDecoder) {
    std::string text;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        text = TTextEncoding::SanitizeUtf8(bytes.substr(3));
    } else if (bytes.starts_with("\xFF\xFE")) {
        text = TTextEncoding::Utf16ToUtf8(bytes.substr(2), false);
    } else if (bytes.starts_with("\xFE\xFF")) {
        text = TTextEncoding::Utf16ToUtf8(bytes.substr(2), true);
    } else if (TTextEncoding::IsValidUtf8(bytes)) {
        text = std::string(bytes);
    } else if (legacyDecoder) {
        text = TTextEncoding::SanitizeUtf8(legacyDecoder(bytes));
    } else {
        text = TTextEncoding::AnsiToUtf8(bytes);
    }
    if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

std::optional<int32_t> TMemIniFile::ParseInteger(std::string_view value) {
    if (StartsWithHexPrefix(value)) return ParseHex(value.substr(2));
    if (value.starts_with('$')) return ParseHex(value.substr(1));
    return ParseDecimal(value);
}

void TMemIniFile::SetText(std::string_view bytes) { SetText(bytes, {}); }

void TMemIniFile::SetText(std::string_view bytes, const TLegacyDecoder& legacyDecoder) {
    FSections.clear();
    FKeyLines.clear();
    ParseLines(DecodeText(bytes, legacyDecoder));
}

void TMemIniFile::ParseLines(std::string_view text) {
    std::map<std::string, std::string>* section = nullptr;
    std::vector<TKeyLine>* keyLines = nullptr;
    std::size_t pos = 0;
    int lineNumber = 0;
    while (pos < text.size()) {
        ++lineNumber;
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = Trim(text.substr(pos, end - pos));
        // CR LF counts as one break; a lone CR or LF as one each.
        pos = end + ((end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ? 2 : 1);

        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            const std::string name = LowerAscii(Trim(line.substr(1, line.size() - 2)));
            section = &FSections[name];
            keyLines = &FKeyLines[name];
            continue;
        }
        if (section == nullptr) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;  // a key without a value reads as missing
        const std::string_view name = TrimRight(line.substr(0, equals));
        if (name.empty()) continue;
        (*section)[LowerAscii(name)] = std::string(TrimLeft(line.substr(equals + 1)));
        keyLines->push_back({std::string(name), lineNumber});
    }
}

const std::string* TMemIniFile::FindValue(std::string_view section, std::string_view key) const {
    const auto sectionIt = FSections.find(LowerAscii(section));
    if (sectionIt == FSections.end()) return nullptr;
    const auto keyIt = sectionIt->second.find(LowerAscii(key));
    return keyIt == sectionIt->second.end() ? nullptr : &keyIt->second;
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view key, const std::string& def) const {
    const std::string* value = FindValue(section, key);
    return value != nullptr ? *value : def;
}

int32_t TMemIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    const std::string* value = FindValue(section, key);
    if (value == nullptr) return def;
    return ParseInteger(*value).value_or(def);
}

bool TMemIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<TMemIniFile::TKeyLine> TMemIniFile::KeyLines(std::string_view section) const {
    const auto found = FKeyLines.find(LowerAscii(section));
    return found == FKeyLines.end() ? std::vector<TKeyLine>{} : found->second;
}

bool TMemIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return FindValue(section, key) != nullptr;
}

}  // namespace zorv
