#include "shared/StrUtils.h"

#include <charconv>
#include <cstdio>
#include <random>

#include "shared/MimeTypes.h"
#include "shared/TextEncoding.h"

namespace zorv {

namespace {

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsWordChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           byte == '_' || byte >= 0x80;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

// Counts the bytes a text would take, without writing them.
struct TLengthCounter {
    std::size_t length = 0;
    TLengthCounter& operator+=(char) {
        ++length;
        return *this;
    }
    TLengthCounter& operator+=(std::string_view text) {
        length += text.size();
        return *this;
    }
};

template <class TOut>
void AppendJsonEscapedByte(TOut& out, unsigned char byte) {
    switch (byte) {
        case '"': out += "\\\""; return;
        case '\\': out += "\\\\"; return;
        case '/': out += "\\/"; return;
        case '\b': out += "\\b"; return;
        case '\t': out += "\\t"; return;
        case '\n': out += "\\n"; return;
        case '\f': out += "\\f"; return;
        case '\r': out += "\\r"; return;
        default: break;
    }
    if (byte < 0x20) {
        static constexpr char Hex[] = "0123456789ABCDEF";
        out += "\\u00";
        out += Hex[byte >> 4];
        out += Hex[byte & 0x0F];
        return;
    }
    out += static_cast<char>(byte);
}

// Appends the character of `value` that starts at `pos` as it stands inside a JSON string
// literal, and gives the position of the next one.
template <class TOut>
std::size_t AppendJsonCharacter(TOut& out, std::string_view value, std::size_t pos) {
    const auto byte = static_cast<unsigned char>(value[pos]);
    if (byte < 0x80) {
        AppendJsonEscapedByte(out, byte);
        return pos + 1;
    }
    const std::size_t length = TTextEncoding::ValidUtf8SequenceLength(value, pos);
    if (length == 0) {
        out += std::string_view("\xEF\xBF\xBD");  // U+FFFD
        return pos + 1;
    }
    const std::string_view sequence = value.substr(pos, length);
    // U+2028 and U+2029 end a line inside older JavaScript string literals; escaped, the
    // text stays safe to embed in a script as well.
    if (sequence == "\xE2\x80\xA8") {
        out += "\\u2028";
    } else if (sequence == "\xE2\x80\xA9") {
        out += "\\u2029";
    } else {
        out += sequence;
    }
    return pos + length;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return TTextEncoding::SanitizeUtf8(out);
}

}  // namespace

std::string TStrUtils::StringToJsonString(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    for (std::size_t pos = 0; pos < value.size();) pos = AppendJsonCharacter(out, value, pos);
    out += '"';
    return out;
}

std::optional<std::string> TStrUtils::StringToJsonStringWithin(std::string_view value, std::size_t maxLength) {
    TLengthCounter counter{2};  // the quotes
    for (std::size_t pos = 0; pos < value.size() && counter.length <= maxLength;)
        pos = AppendJsonCharacter(counter, value, pos);
    if (counter.length > maxLength) return std::nullopt;
    std::string out;
    out.reserve(counter.length);
    out += '"';
    for (std::size_t pos = 0; pos < value.size();) pos = AppendJsonCharacter(out, value, pos);
    out += '"';
    return out;
}

TArrayStrings TStrUtils::ExplodeStrings(std::string_view separator, std::string_view value) {
    TArrayStrings pieces;
    if (separator.empty()) {
        pieces.emplace_back(value);
        return pieces;
    }
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = value.find(separator, pos);
        if (hit == std::string_view::npos) break;
        pieces.emplace_back(value.substr(pos, hit - pos));
        pos = hit + separator.size();
    }
    pieces.emplace_back(value.substr(pos));
    return pieces;
}

std::string TStrUtils::ImplodeStrings(std::string_view separator, const TArrayStrings& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out.append(separator);
        out.append(items[i]);
    }
    return out;
}

std::string TStrUtils::GetFileMIMEType(std::string_view fileName) { return TMimeTypes::GetFileMIMEType(fileName); }

std::string TStrUtils::QuoteJavascript(std::string_view value) {
    return ReplaceAll(ReplaceAll(value, "'", "\\x27"), "\"", "\\x22");
}

std::string TStrUtils::UnquoteJavascript(std::string_view value) {
    return ReplaceAll(ReplaceAll(value, "\\x27", "'"), "\\x22", "\"");
}

std::string TStrUtils::QuoteArguments(std::string_view value) {
    return ReplaceAll(ReplaceAll(QuoteJavascript(value), ":", "\\x3a"), "|", "\\x7c");
}

std::string TStrUtils::UnquoteArguments(std::string_view value) {
    return ReplaceAll(ReplaceAll(UnquoteJavascript(value), "\\x3a", ":"), "\\x7c", "|");
}

std::string TStrUtils::GetJavascriptArrayFromMultilineString(std::string_view value) {
    std::string out;
    bool first = true;
    for (const auto& line : ExplodeStrings("\n", value)) {
        if (line.empty()) continue;
        const std::string quoted = QuoteJavascript(Trim(line));
        out += first ? "\"" + quoted + "\"" : ", \"" + quoted + "\"";
        first = false;
    }
    return out;
}

std::string TStrUtils::GetRandomString(int32_t length, std::string_view charSequence) {
    std::string out;
    if (length <= 0 || charSequence.empty()) return out;
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, charSequence.size() - 1);
    out.reserve(static_cast<std::size_t>(length));
    for (int32_t i = 0; i < length; ++i) out += charSequence[pick(generator)];
    return out;
}

std::string TStrUtils::GetControlRandomSuffix(std::string_view name) {
    return std::string(name) + "-" + GetRandomString(10, "abcdefghijklmnopqrstuvwxyz1234567890");
}

TArrayStrings TStrUtils::GetUrlArguments(std::string_view url) {
    TArrayStrings arguments;
    const std::size_t question = url.find('?');
    if (question == std::string_view::npos) return arguments;
    std::string_view query = url.substr(question + 1);
    if (const auto hash = query.find('#'); hash != std::string_view::npos) query = query.substr(0, hash);
    for (const auto& pair : ExplodeStrings("&", query)) {
        if (pair.empty()) continue;
        arguments.push_back(PercentDecode(ReplaceAll(pair, "+", " ")));
    }
    return arguments;
}

bool TStrUtils::SubStringExists(std::string_view text, std::string_view subString, bool wholeWord, bool matchCase) {
    if (subString.empty() || subString.size() > text.size()) return false;
    const std::string haystack = matchCase ? std::string(text) : LowerCase(text);
    const std::string needle = matchCase ? std::string(subString) : LowerCase(subString);
    for (std::size_t pos = haystack.find(needle); pos != std::string::npos; pos = haystack.find(needle, pos + 1)) {
        if (!wholeWord) return true;
        const bool startsWord = pos == 0 || !IsWordChar(haystack[pos - 1]);
        const std::size_t end = pos + needle.size();
        const bool endsWord = end == haystack.size() || !IsWordChar(haystack[end]);
        if (startsWord && endsWord) return true;
    }
    return false;
}

std::string TStrUtils::AddLeadingZeroes(int32_t number, int32_t length) {
    char buffer[64];
    const int written =
        std::snprintf(buffer, sizeof buffer, "%.*d", length < 0 ? 0 : (length > 40 ? 40 : length), number);
    return written > 0 ? std::string(buffer, static_cast<std::size_t>(written)) : std::string();
}

void TStrUtils::StrToResolution(std::string_view value, int32_t& width, int32_t& height) {
    width = -1;
    height = -1;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t x = value.find('x'); x != std::string_view::npos; x = value.find('x', x + 1)) {
        std::size_t start = x;
        while (start > 0 && isDigit(value[start - 1])) --start;
        std::size_t end = x + 1;
        while (end < value.size() && isDigit(value[end])) ++end;
        if (start == x || end == x + 1) continue;
        int32_t w = 0;
        int32_t h = 0;
        const auto wResult = std::from_chars(value.data() + start, value.data() + x, w);
        const auto hResult = std::from_chars(value.data() + x + 1, value.data() + end, h);
        if (wResult.ec != std::errc() || hResult.ec != std::errc()) return;
        width = w;
        height = h;
        return;
    }
}

std::string TStrUtils::RepeatString(std::string_view value, uint32_t count) {
    std::string out;
    out.reserve(value.size() * count);
    for (uint32_t i = 0; i < count; ++i) out.append(value);
    return out;
}

std::string TStrUtils::Capitalize(std::string_view value) {
    std::string out(value);
    if (!out.empty() && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 'a' + 'A');
    return out;
}

bool TStrUtils::FilePathIsHttpUrl(std::string_view path) {
    return StartsTextWith(path, "http://") || StartsTextWith(path, "https://");
}

bool TStrUtils::FilePathIsAppRelative(std::string_view path) { return StartsTextWith(path, "app/files/"); }

bool TStrUtils::FilePathIsPluginRelative(std::string_view path) { return StartsTextWith(path, "app/plugins/"); }

std::string TStrUtils::LowerCase(std::string_view value) {
    std::string out(value);
    for (char& c : out) c = LowerChar(c);
    return out;
}

bool TStrUtils::StartsTextWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

bool TStrUtils::SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i])) return false;
    }
    return true;
}

std::string_view TStrUtils::Trim(std::string_view value) {
    while (!value.empty() && static_cast<unsigned char>(value.front()) <= 32) value.remove_prefix(1);
    while (!value.empty() && static_cast<unsigned char>(value.back()) <= 32) value.remove_suffix(1);
    return value;
}

}  // namespace zorv
