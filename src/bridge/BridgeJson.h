#pragma once
#include <cstddef>
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

namespace zorv {

// JSON as the bridge reads it. Every number is kept as a JSON string holding the number's text
// exactly as written: the bridge only ever reads numbers as text, and printing a parsed number
// again may change it ("-0", "1.50", "1E2"). Nesting is limited so that no message can exhaust
// the stack of a reader that walks the value.
class TBridgeJson {
public:
    TBridgeJson() = delete;
    static constexpr std::size_t DefaultMaxDepth = 256;
    // The value, or nothing when the text is not JSON or nests deeper than maxDepth. An unpaired
    // surrogate escape in a string ("\ud800" alone) reads as U+FFFD.
    static std::optional<nlohmann::json> Parse(std::string_view text, std::size_t maxDepth = DefaultMaxDepth);
    // The string value of member `name` of the top-level object, at any nesting depth of the rest;
    // nothing when the text is not JSON or has no such string member.
    static std::optional<std::string> TopLevelString(std::string_view text, std::string_view name);
};

}  // namespace zorv
