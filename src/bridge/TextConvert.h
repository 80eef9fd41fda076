#pragma once
#include <cstdint>
#include <string_view>

namespace zorv {

// Text-to-value conversions with the rules pages have always been given: integers in decimal or
// in hexadecimal after "$" or "0x", Booleans as "true"/"false" in any letter case or as a number.
class TTextConvert {
public:
    TTextConvert() = delete;
    // Leading blanks and a sign are allowed; decimal must fit 32 bits, hexadecimal may use all 32
    // bits ("$FFFFFFFF" is -1). Anything else, trailing characters included, fails.
    static bool TryStrToInt32(std::string_view text, int32_t& value);
    // A number is true unless it is zero; otherwise "true" or "false", letter case ignored.
    static bool TryStrToBool(std::string_view text, bool& value);
};

}  // namespace zorv
