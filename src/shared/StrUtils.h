#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

using TArrayStrings = std::vector<std::string>;

class TStrUtils {
public:
    TStrUtils() = delete;
    // The JSON string literal for `value` (UTF-8), enclosing quotes included.
    static std::string StringToJsonString(std::string_view value);
    // Splits at every occurrence of `separator`, keeping empty pieces ("" gives one empty piece).
    static TArrayStrings ExplodeStrings(std::string_view separator, std::string_view value);
    static std::string ImplodeStrings(std::string_view separator, const TArrayStrings& items);
    // MIME type of a file name by its extension: the built-in list, then the platform's overrides.
    static std::string GetFileMIMEType(std::string_view fileName);
};

}  // namespace zorv
