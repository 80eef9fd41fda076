#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace zorv {

// The few file-system queries and changes the runtime makes, with the meaning the C++ library
// gives them on each platform. On Windows they are made through the system's own calls: the
// library's implementation links its file streams and locale tables into the statically linked
// runtime, some 200 KB that no feature uses. Paths stay std::filesystem::path values (which add no
// such weight). None of these throws; a path that cannot be examined reads as missing.
class TFileSystem {
public:
    TFileSystem() = delete;

    enum class TKind { Missing, File, Folder, Link, Other };

    // What `path` names, links followed.
    static TKind KindOf(const std::filesystem::path& path);
    // What `path` names itself, a link not followed. On Windows, as KindOf (as the library does).
    static TKind EntryKindOf(const std::filesystem::path& path);
    static bool IsFile(const std::filesystem::path& path) { return KindOf(path) == TKind::File; }
    static bool IsFolder(const std::filesystem::path& path) { return KindOf(path) == TKind::Folder; }
    static bool Exists(const std::filesystem::path& path) { return KindOf(path) != TKind::Missing; }

    // The size of the file at `path`; nothing when it is not a file or cannot be examined.
    static std::optional<uint64_t> FileSize(const std::filesystem::path& path);
    // Removes the file, link or empty folder at `path`; false when nothing was removed.
    static bool Remove(const std::filesystem::path& path);
    // Creates the folder `path` and the missing ones on the way; true when it exists afterwards.
    static bool CreateFolders(const std::filesystem::path& path);

    // `path` made absolute, its "." and ".." steps resolved; empty when the system refuses.
    static std::filesystem::path Absolute(const std::filesystem::path& path);
    // The absolute path of what exists at `path`, "." and ".." steps (and on POSIX, links)
    // resolved; nothing when it does not exist.
    static std::optional<std::filesystem::path> Canonical(const std::filesystem::path& path);
    // Where the link at `path` points; nothing when it is not a link. On Windows always nothing,
    // as the library does not read links there.
    static std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path& path);

    // Calls `visit` with the path of each entry of `folder` ("." and ".." left out), in the
    // system's order; false when the folder cannot be read.
    static bool ForEachEntry(const std::filesystem::path& folder,
                             const std::function<void(const std::filesystem::path&)>& visit);
};

}  // namespace zorv
