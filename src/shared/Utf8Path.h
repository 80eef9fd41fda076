#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace zorv {

// Paths cross the core as UTF-8 text; these convert at the std::filesystem boundary (on Windows a
// narrow std::string would be read in the ANSI code page).
inline std::filesystem::path Utf8Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string PathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace zorv
