#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

using TArrayStrings = std::vector<std::string>;

// Stateless text helpers shared by the runtime and the packaging tool. Texts are UTF-8.
class TStrUtils {
public:
    TStrUtils() = delete;
    // The JSON string literal for `value` (UTF-8), enclosing quotes included. Always valid JSON:
    // bytes that are not well-formed UTF-8 come out as U+FFFD.
    static std::string StringToJsonString(std::string_view value);
    // The same literal when it takes at most `maxLength` bytes, else nothing. Its length is
    // measured first (stopping as soon as it passes the limit), so a text too long costs no
    // allocation and one that fits is allocated once at its exact size.
    static std::optional<std::string> StringToJsonStringWithin(std::string_view value, std::size_t maxLength);
    // Splits at every occurrence of `separator`, keeping empty pieces ("" gives one empty piece).
    static TArrayStrings ExplodeStrings(std::string_view separator, std::string_view value);
    static std::string ImplodeStrings(std::string_view separator, const TArrayStrings& items);
    // MIME type of a file name by its extension: the built-in list, then the platform's overrides
    // (see TMimeTypes).
    static std::string GetFileMIMEType(std::string_view fileName);

    // Kept so that the unit can be shared with a packaging tool; neither the runtime nor
    // zorv-pack calls them.
    // ' -> \x27, " -> \x22 (backslashes untouched), and back.
    static std::string QuoteJavascript(std::string_view value);
    static std::string UnquoteJavascript(std::string_view value);
    // QuoteJavascript, then ":" -> \x3a and "|" -> \x7c, and back.
    static std::string QuoteArguments(std::string_view value);
    static std::string UnquoteArguments(std::string_view value);
    // The non-empty lines of `value`, trimmed and quoted, as "a", "b" (no brackets).
    static std::string GetJavascriptArrayFromMultilineString(std::string_view value);
    static std::string GetRandomString(int32_t length, std::string_view charSequence);
    static std::string GetControlRandomSuffix(std::string_view name);
    // The "name=value" pairs of the URL's query: split at "&", "+" read as a space, then
    // percent-decoded as UTF-8.
    static TArrayStrings GetUrlArguments(std::string_view url);
    static bool SubStringExists(std::string_view text, std::string_view subString, bool wholeWord, bool matchCase);
    static std::string AddLeadingZeroes(int32_t number, int32_t length);
    // The first "<width>x<height>" in `value`; both -1 when there is none.
    static void StrToResolution(std::string_view value, int32_t& width, int32_t& height);
    static std::string RepeatString(std::string_view value, uint32_t count);
    // Upper-cases the first character when it is an ASCII letter.
    static std::string Capitalize(std::string_view value);
    static bool FilePathIsHttpUrl(std::string_view path);
    static bool FilePathIsAppRelative(std::string_view path);
    static bool FilePathIsPluginRelative(std::string_view path);

    // ASCII-only case helpers used across the core.
    static std::string LowerCase(std::string_view value);
    static bool StartsTextWith(std::string_view text, std::string_view prefix);  // ignoring ASCII case
    static bool SameText(std::string_view a, std::string_view b);                // ignoring ASCII case
    // Removes leading and trailing characters with codes up to 32.
    static std::string_view Trim(std::string_view value);
};

}  // namespace zorv
