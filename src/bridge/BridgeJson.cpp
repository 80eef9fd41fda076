#include "bridge/BridgeJson.h"

#include <string>
#include <vector>

namespace zorv {
namespace {

// Builds the value iteratively (the parser itself keeps no recursion either) and stops at the
// depth limit.
class TDomBuilder : public nlohmann::json_sax<nlohmann::json> {
public:
    TDomBuilder(nlohmann::json& root, std::size_t maxDepth) : FRoot(root), FMaxDepth(maxDepth) {}

    bool null() override { return Add(nullptr); }
    bool boolean(bool value) override { return Add(value); }
    // The parser reports an integer lexeme that fits 64 bits as an integer, printed back as written,
    // except "-0": that is the only one it reports as a signed zero ("0" comes as unsigned).
    // Every other number comes with its lexeme.
    bool number_integer(number_integer_t value) override { return Add(value == 0 ? "-0" : std::to_string(value)); }
    bool number_unsigned(number_unsigned_t value) override { return Add(std::to_string(value)); }
    bool number_float(number_float_t, const string_t& lexeme) override { return Add(lexeme); }
    bool string(string_t& value) override { return Add(std::move(value)); }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return Open(nlohmann::json::object()); }
    bool key(string_t& name) override {
        FPendingKey = std::move(name);
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(nlohmann::json::array()); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    nlohmann::json* Place(nlohmann::json&& value) {
        if (FStack.empty()) {
            FRoot = std::move(value);
            return &FRoot;
        }
        nlohmann::json& parent = *FStack.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        nlohmann::json& slot = parent[FPendingKey];
        slot = std::move(value);
        return &slot;
    }

    bool Add(nlohmann::json&& value) {
        Place(std::move(value));
        return true;
    }

    bool Open(nlohmann::json&& container) {
        if (FStack.size() >= FMaxDepth) return false;
        FStack.push_back(Place(std::move(container)));
        return true;
    }

    bool Close() {
        FStack.pop_back();
        return true;
    }

    nlohmann::json& FRoot;
    std::size_t FMaxDepth;
    std::vector<nlohmann::json*> FStack;
    std::string FPendingKey;
};

// Walks the whole text without building anything, and keeps the string value of one member of
// the top-level object.
class TTopLevelMemberFinder : public nlohmann::json_sax<nlohmann::json> {
public:
    explicit TTopLevelMemberFinder(std::string_view name) : FName(name) {}
    std::optional<std::string> Found() const { return FFound; }

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t& value) override {
        if (FDepth == 1 && FAtName) FFound = std::move(value);
        return Value();
    }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return Open(); }
    bool key(string_t& name) override {
        FAtName = FDepth == 1 && name == FName;
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    bool Value() {
        FAtName = false;
        return true;
    }
    bool Open() {
        FAtName = false;
        ++FDepth;
        return true;
    }
    bool Close() {
        --FDepth;
        return true;
    }

    std::string_view FName;
    std::size_t FDepth = 0;
    bool FAtName = false;
    std::optional<std::string> FFound;
};

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The code unit of a "\uXXXX" escape that starts at `pos`, or -1.
long EscapedCodeUnit(std::string_view text, std::size_t pos) {
    if (text.size() - pos < 6 || text[pos] != '\\' || text[pos + 1] != 'u') return -1;
    for (std::size_t i = pos + 2; i < pos + 6; ++i) {
        if (!IsHexDigit(text[i])) return -1;
    }
    return std::stol(std::string(text.substr(pos + 2, 4)), nullptr, 16);
}

bool IsHighSurrogate(long unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(long unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Pages hand over text cut through a character (slice() through an emoji); JSON.stringify then
// writes the unpaired half as an escape that strict parsers refuse. Each such half becomes
// U+FFFD, as a page's own TextEncoder makes it. Nothing when the text has none.
std::optional<std::string> ReplaceLoneSurrogates(std::string_view text) {
    std::optional<std::string> repaired;
    // Most texts hold no "\u" escape at all; finding that out needs no walk through the strings.
    if (text.find("\\u") == std::string_view::npos) return repaired;
    std::size_t copiedUpTo = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!inString) {
            inString = c == '"';
            continue;
        }
        if (c == '"') {
            inString = false;
            continue;
        }
        if (c != '\\') continue;
        const long unit = EscapedCodeUnit(text, i);
        if (unit < 0) {
            ++i;  // a two-character escape
            continue;
        }
        if (IsHighSurrogate(unit) && IsLowSurrogate(EscapedCodeUnit(text, i + 6))) {
            i += 11;
            continue;
        }
        if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            if (!repaired) repaired.emplace();
            repaired->append(text.substr(copiedUpTo, i - copiedUpTo));
            repaired->append("\\ufffd");
            copiedUpTo = i + 6;
        }
        i += 5;
    }
    if (repaired) repaired->append(text.substr(copiedUpTo));
    return repaired;
}

}  // namespace

std::optional<nlohmann::json> TBridgeJson::Parse(std::string_view text, std::size_t maxDepth) {
    const std::optional<std::string> repaired = ReplaceLoneSurrogates(text);
    if (repaired) text = *repaired;
    nlohmann::json root;
    TDomBuilder builder(root, maxDepth);
    try {
        if (!nlohmann::json::sax_parse(text.begin(), text.end(), &builder)) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return root;
}

std::optional<std::string> TBridgeJson::TopLevelString(std::string_view text, std::string_view name) {
    const std::optional<std::string> repaired = ReplaceLoneSurrogates(text);
    if (repaired) text = *repaired;
    TTopLevelMemberFinder finder(name);
    try {
        if (!nlohmann::json::sax_parse(text.begin(), text.end(), &finder)) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return finder.Found();
}

}  // namespace zorv
