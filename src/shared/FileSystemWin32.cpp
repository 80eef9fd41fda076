#include <windows.h>

#include <string>

#include "shared/DosDeviceNames.h"
#include "shared/FileSystem.h"
#include "shared/Utf8Path.h"
#include "shared/Win32Handles.h"

namespace zorv {

namespace fs = std::filesystem;

namespace {

// The attributes and size of what `path` names, links followed; nothing when it cannot be examined.
struct TEntryFacts {
    DWORD attributes = 0;
    uint64_t size = 0;
};

std::optional<TEntryFacts> FactsOf(const fs::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return TEntryFacts{data.dwFileAttributes, (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow};
    // A link: what it leads to counts. Opened for its attributes only, sharing everything.
    const TFileHandle target(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (target.Get() == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(target.Get(), &info)) return std::nullopt;
    return TEntryFacts{info.dwFileAttributes, (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow};
}

// Names such as "CON" or "nul.txt" name a device in every folder, which reads as a file to
// GetFileAttributesExW: reading the console would block, so they count as no file.
bool NamesADevice(const fs::path& path) { return DosDeviceStemEnd(PathToUtf8(path.filename())).has_value(); }

}  // namespace

TFileSystem::TKind TFileSystem::KindOf(const fs::path& path) {
    if (path.empty()) return TKind::Missing;
    const std::optional<TEntryFacts> facts = FactsOf(path);
    if (!facts) return TKind::Missing;
    if (facts->attributes & FILE_ATTRIBUTE_DIRECTORY) return TKind::Folder;
    if ((facts->attributes & FILE_ATTRIBUTE_DEVICE) || NamesADevice(path)) return TKind::Other;
    return TKind::File;
}

TFileSystem::TKind TFileSystem::EntryKindOf(const fs::path& path) { return KindOf(path); }

std::optional<uint64_t> TFileSystem::FileSize(const fs::path& path) {
    if (path.empty()) return std::nullopt;
    const std::optional<TEntryFacts> facts = FactsOf(path);
    if (!facts || (facts->attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) || NamesADevice(path))
        return std::nullopt;
    return facts->size;
}

bool TFileSystem::Remove(const fs::path& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ::RemoveDirectoryW(path.c_str()) != 0;
    return ::DeleteFileW(path.c_str()) != 0;
}

bool TFileSystem::CreateFolders(const fs::path& path) {
    if (path.empty()) return false;
    if (IsFolder(path)) return true;
    const fs::path parent = path.parent_path();
    if (!parent.empty() && parent != path && !IsFolder(parent) && !CreateFolders(parent)) return false;
    return ::CreateDirectoryW(path.c_str(), nullptr) || IsFolder(path);
}

fs::path TFileSystem::Absolute(const fs::path& path) {
    if (path.empty()) return {};
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return fs::path(buffer);
        }
        buffer.resize(length);  // the size needed, its terminating NUL included
    }
}

std::optional<fs::path> TFileSystem::Canonical(const fs::path& path) {
    const fs::path absolute = Absolute(path);
    if (absolute.empty()) return std::nullopt;
    // Rebuilt step by step, as the library does: a trailing separator leaves no empty step.
    fs::path canonical = absolute.root_path();
    for (const fs::path& step : absolute.relative_path()) {
        if (!step.empty()) canonical /= step;
    }
    if (!Exists(canonical)) return std::nullopt;
    return canonical;
}

std::optional<fs::path> TFileSystem::LinkTarget(const fs::path&) { return std::nullopt; }

bool TFileSystem::ForEachEntry(const fs::path& folder, const std::function<void(const fs::path&)>& visit) {
    if (folder.empty()) return false;
    WIN32_FIND_DATAW found{};
    const TFindHandle search(::FindFirstFileExW((folder / L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                                nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (search.Get() == INVALID_HANDLE_VALUE) return false;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") visit(folder / name);
    } while (::FindNextFileW(search.Get(), &found));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

}  // namespace zorv
