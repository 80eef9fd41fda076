#include "backends/win32/FolderDeletion.h"

#include <shlwapi.h>

#include "backends/win32/WinText.h"
#include "shared/ProtectedFolders.h"

namespace zorv {
namespace {

// `fill` is GetFullPathNameW or GetLongPathNameW over a buffer: asked for the length first, then
// for the text. Empty when the call fails.
template <typename TFill>
std::wstring AskForPath(TFill fill) {
    const DWORD needed = fill(nullptr, 0);
    if (needed == 0) return {};
    std::wstring path(needed, L'\0');
    const DWORD length = fill(path.data(), needed);
    if (length == 0 || length >= needed) return {};
    path.resize(length);
    return path;
}

// The absolute path, with dot steps resolved as Windows resolves them and 8.3 names ("USERS~1")
// made long where the item exists, so that every spelling of one folder compares alike.
std::wstring FullPath(const std::wstring& path) {
    const std::wstring full =
        AskForPath([&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
    if (full.empty()) return {};
    const std::wstring longPath =
        AskForPath([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); });
    return longPath.empty() ? full : longPath;
}

// "C:" and "C:data" name a folder below the drive's current folder, which the caller cannot know.
bool IsDriveRelative(const std::wstring& path) {
    return path.size() >= 2 && path[1] == L':' && (path.size() == 2 || (path[2] != L'\\' && path[2] != L'/'));
}

bool IsRootOrHome(const std::wstring& fullPath, const std::wstring& home) {
    // The shell's own root test, then the spellings it does not know ("\\?\C:\", "C:\...").
    if (PathIsRootW(fullPath.c_str())) return true;
    const std::wstring fullHome = home.empty() ? home : FullPath(home);
    return IsProtectedFolder(TWinText::WideToUtf8(fullPath), TWinText::WideToUtf8(fullHome), TPathStyle::Windows);
}

std::wstring WithoutTrailingDelimiters(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

bool Refuse(DWORD error) {
    SetLastError(error);
    return false;
}

}  // namespace

bool DeleteFolderTree(const std::wstring& dirPath, const std::wstring& home, const TShellFileOperation& operate) {
    // The shell would read an empty source list as no file at all or, worse, as the current folder.
    // Wildcards would widen the operation beyond the one folder asked for.
    if (dirPath.empty() || dirPath.find_first_of(L"*?") != std::wstring::npos) return Refuse(ERROR_INVALID_NAME);
    if (IsDriveRelative(dirPath)) return Refuse(ERROR_ACCESS_DENIED);
    const std::wstring fullPath = FullPath(dirPath);
    if (fullPath.empty()) return false;  // GetFullPathNameW has set the last error
    if (IsRootOrHome(fullPath, home)) return Refuse(ERROR_ACCESS_DENIED);
    std::wstring sources = WithoutTrailingDelimiters(fullPath);
    sources.push_back(L'\0');  // the list of sources ends with a second terminating zero
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = sources.c_str();
    // No error box either: the caller reports the failure itself.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return operate(operation) == 0;
}

}  // namespace zorv
