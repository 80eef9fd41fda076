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
    // The value, or nothing when the text is not JSON or nests deeper than maxDepth.
    static std::optional<nlohmann::json> Parse(std::string_view text, std::size_t maxDepth = DefaultMaxDepth);
};

}  // namespace zorv
