#pragma once
#include <string>
#include <string_view>

#include "shared/Result.h"

namespace zorv {

// Base64 with the standard alphabet of RFC 4648 ("A"-"Z", "a"-"z", "0"-"9", "+", "/") and "="
// padding. Decoding is strict about characters, so that a page never gets a file of silently
// corrupted bytes: white space, line breaks, a data-URL prefix or misplaced padding are
// errors. A final group of two or three characters without its padding is decoded in full.
class TBase64 {
public:
    TBase64() = delete;

    // The decoded bytes, or what is wrong with the text.
    static TResult<std::string> Decode(std::string_view text);
    static std::string Encode(std::string_view bytes);
};

}  // namespace zorv
