#include "backends/win32/WinText.h"

#include <windows.h>

namespace zorv {

std::wstring TWinText::Utf8ToWide(std::string_view text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

std::string TWinText::WideToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr,
                          nullptr);
    return result;
}

std::string TWinText::WideToUtf8(const wchar_t* text) {
    return text ? WideToUtf8(std::wstring_view(text)) : std::string();
}

}  // namespace zorv
