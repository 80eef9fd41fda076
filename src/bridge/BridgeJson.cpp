#include "bridge/BridgeJson.h"

#include <string>
#include <vector>

namespace zorv {
namespace {

bool IsNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// The text of every number outside string literals, in document order. The parser reports
// numbers in the same order, so the n-th number event takes the n-th lexeme.
std::vector<std::string_view> NumberLexemes(std::string_view text) {
    std::vector<std::string_view> lexemes;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\') ++i;
            }
            ++i;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            const std::size_t start = i;
            while (i < text.size() && IsNumberCharacter(text[i])) ++i;
            lexemes.push_back(text.substr(start, i - start));
        } else {
            ++i;
        }
    }
    return lexemes;
}

// Builds the value iteratively (the parser itself keeps no recursion either) and stops at the
// depth limit.
class TDomBuilder : public nlohmann::json_sax<nlohmann::json> {
public:
    TDomBuilder(nlohmann::json& root, std::vector<std::string_view> lexemes, std::size_t maxDepth)
        : FRoot(root), FLexemes(std::move(lexemes)), FMaxDepth(maxDepth) {}

    bool null() override { return Add(nullptr); }
    bool boolean(bool value) override { return Add(value); }
    bool number_integer(number_integer_t value) override { return AddNumber(std::to_string(value)); }
    bool number_unsigned(number_unsigned_t value) override { return AddNumber(std::to_string(value)); }
    bool number_float(number_float_t, const string_t& lexeme) override { return AddNumber(lexeme); }
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
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    // Numbers whose lexeme is known are kept as written; the fallback only guards against a
    // count mismatch, which a successful parse never produces.
    bool AddNumber(const std::string& printed) {
        if (FNextLexeme < FLexemes.size()) return Add(std::string(FLexemes[FNextLexeme++]));
        return Add(printed);
    }

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
    std::vector<std::string_view> FLexemes;
    std::size_t FNextLexeme = 0;
    std::size_t FMaxDepth;
    std::vector<nlohmann::json*> FStack;
    std::string FPendingKey;
};

}  // namespace

std::optional<nlohmann::json> TBridgeJson::Parse(std::string_view text, std::size_t maxDepth) {
    nlohmann::json root;
    TDomBuilder builder(root, NumberLexemes(text), maxDepth);
    try {
        if (!nlohmann::json::sax_parse(text.begin(), text.end(), &builder)) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return root;
}

}  // namespace zorv
