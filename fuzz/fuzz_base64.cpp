// Base64 text from a page (zorv.base64.decodeToFile): decoding never fails silently, and what it
// accepts survives a round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shared/Base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const zorv::TResult<std::string> decoded = zorv::TBase64::Decode(text);
    if (!decoded) {
        if (decoded.Error().empty()) std::abort();
        return 0;
    }
    // Four characters carry three bytes; a short final group of n characters carries n - 1.
    std::size_t padding = 0;
    while (padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
    const std::size_t characters = text.size() - padding;
    if (decoded.Value().size() != characters / 4 * 3 + (characters % 4 ? characters % 4 - 1 : 0)) std::abort();

    const std::string encoded = zorv::TBase64::Encode(decoded.Value());
    const zorv::TResult<std::string> again = zorv::TBase64::Decode(encoded);
    if (!again || again.Value() != decoded.Value()) std::abort();

    // Bytes taken as bytes: encoding any input decodes back to it.
    const zorv::TResult<std::string> raw = zorv::TBase64::Decode(zorv::TBase64::Encode(text));
    if (!raw || raw.Value() != text) std::abort();
    return 0;
}
