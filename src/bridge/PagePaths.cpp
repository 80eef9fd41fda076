#include "bridge/PagePaths.h"

#include "shared/Utf8Path.h"

#include <algorithm>

namespace zorv {

bool TPagePaths::IsAbsolute(std::string_view path, TPathStyle style) {
    if (style == TPathStyle::Posix) return !path.empty() && path.front() == '/';
    const bool hasDrive = path.size() >= 2 && path[1] == ':' &&
                          ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    const bool hasShare = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    return hasDrive || hasShare;
}

std::string TPagePaths::Resolve(std::string_view pagePath, std::string_view appDir, TPathStyle style) {
    if (IsAbsolute(pagePath, style)) return std::string(pagePath);
    std::string relative(pagePath);
    // Each style reads the other's separator in a relative path as its own: pages written for
    // one system ("data\x.txt" or "data/x.txt") name the same file on the other.
    if (style == TPathStyle::Windows)
        std::replace(relative.begin(), relative.end(), '/', '\\');
    else
        std::replace(relative.begin(), relative.end(), '\\', '/');
    return std::string(appDir) + relative;
}

std::filesystem::path TPagePaths::ToFsPath(std::string_view utf8) { return Utf8Path(utf8); }

std::string TPagePaths::FromFsPath(const std::filesystem::path& path) { return PathToUtf8(path); }

}  // namespace zorv
