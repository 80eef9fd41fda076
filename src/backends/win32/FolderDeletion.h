#pragma once
#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

namespace zorv {

// Runs one shell file operation and answers as SHFileOperationW does (0 for success), leaving the
// thread's last error set on failure. Tests put a recorder in its place.
using TShellFileOperation = std::function<int(SHFILEOPSTRUCTW& operation)>;

// Deletes the folder `dirPath` and everything in it with one FO_DELETE through `operate`: silent,
// no confirmation, no error box, no recycle bin. The path is made absolute by GetFullPathNameW
// (short names made long) and handed over without trailing delimiters, which Windows refuses.
// Refused without calling `operate`, with the last error set: an empty path or wildcards
// (ERROR_INVALID_NAME); a drive-relative path ("C:", "C:data"), a root in any spelling (drive,
// share, device) and the folder `home` or one that holds it (ERROR_ACCESS_DENIED).
bool DeleteFolderTree(const std::wstring& dirPath, const std::wstring& home, const TShellFileOperation& operate);

}  // namespace zorv
