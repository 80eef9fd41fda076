#pragma once
#include <string>
#include <string_view>

namespace zorv {

// Conversions between the portable core's UTF-8 and the UTF-16 of the Windows API.
class TWinText {
public:
    TWinText() = delete;
    static std::wstring Utf8ToWide(std::string_view text);
    static std::string WideToUtf8(std::wstring_view text);
    static std::string WideToUtf8(const wchar_t* text);  // null gives ""
};

}  // namespace zorv
