#include <windows.h>

#include <climits>

#include "shared/TextEncoding.h"

namespace zorv {

std::string TTextEncoding::AnsiToUtf8(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return Windows1252ToUtf8(bytes);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t codePoint = static_cast<char16_t>(wide[i]);
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<char16_t>(wide[i + 1]) - 0xDC00);
            ++i;
        }
        AppendUtf8(out, codePoint);
    }
    return out;
}

}  // namespace zorv
