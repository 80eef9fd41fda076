#include <system_error>

#include "shared/FileSystem.h"

namespace zorv {

namespace fs = std::filesystem;

namespace {

TFileSystem::TKind KindOfStatus(const fs::file_status& status) {
    switch (status.type()) {
        case fs::file_type::not_found:
        case fs::file_type::none: return TFileSystem::TKind::Missing;
        case fs::file_type::regular: return TFileSystem::TKind::File;
        case fs::file_type::directory: return TFileSystem::TKind::Folder;
        case fs::file_type::symlink: return TFileSystem::TKind::Link;
        default: return TFileSystem::TKind::Other;
    }
}

}  // namespace

TFileSystem::TKind TFileSystem::KindOf(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return error ? TKind::Missing : KindOfStatus(status);
}

TFileSystem::TKind TFileSystem::EntryKindOf(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    return error ? TKind::Missing : KindOfStatus(status);
}

std::optional<uint64_t> TFileSystem::FileSize(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return std::nullopt;
    return static_cast<uint64_t>(size);
}

bool TFileSystem::Remove(const fs::path& path) {
    std::error_code error;
    return fs::remove(path, error) && !error;
}

bool TFileSystem::CreateFolders(const fs::path& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return IsFolder(path);
}

fs::path TFileSystem::Absolute(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return error ? fs::path() : absolute.lexically_normal();
}

std::optional<fs::path> TFileSystem::Canonical(const fs::path& path) {
    std::error_code error;
    fs::path canonical = fs::canonical(path, error);
    if (error) return std::nullopt;
    return canonical;
}

std::optional<fs::path> TFileSystem::LinkTarget(const fs::path& path) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) return std::nullopt;
    fs::path target = fs::read_symlink(path, error);
    if (error) return std::nullopt;
    return target;
}

bool TFileSystem::ForEachEntry(const fs::path& folder, const std::function<void(const fs::path&)>& visit) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) visit(it->path());
    return !error;
}

}  // namespace zorv
