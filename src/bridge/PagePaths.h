#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "shared/PathStyle.h"

namespace zorv {

// Paths that pages hand to the file functions.
class TPagePaths {
public:
    TPagePaths() = delete;
    // Whether the path names its own root: a drive ("C:") or a share ("\\server\share") on
    // Windows, a leading "/" elsewhere.
    static bool IsAbsolute(std::string_view path, TPathStyle style);
    // An absolute path stays as it is. A relative one is placed after `appDir` (which ends with a
    // delimiter) with nothing in between; its "/" become "\" first on Windows, its "\" become "/"
    // elsewhere.
    static std::string Resolve(std::string_view pagePath, std::string_view appDir, TPathStyle style);
    // The file-system path for UTF-8 text.
    static std::filesystem::path ToFsPath(std::string_view utf8);
    static std::string FromFsPath(const std::filesystem::path& path);
};

}  // namespace zorv
