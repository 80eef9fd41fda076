#pragma once
#include <string>

#include "shared/PathStyle.h"

namespace zorv {

// The rule by path, which the Windows backend applies before the shell deletes anything. The
// Linux backend tells the same folders by identity instead (PosixFolderDeletion.h), so that no
// other mount or link of them slips past.
//
// True when deleting the folder `fullPath` would take a root or the user's home with it:
// the file-system root, a drive ("C:\"), a share ("\\server\share"), any device-namespace path
// other than a drive or share ("\\.\PhysicalDrive0", "\\?\Volume{...}\"), the folder `home`, or a
// folder that holds `home`. Both paths come made absolute by the platform (links resolved on
// POSIX, GetFullPathNameW on Windows); dot steps, repeated and trailing separators and the
// "\\?\", "\\.\" and "\??\" prefixes are taken apart here as the system reads them, so a spelling
// that the platform left alone cannot slip past. A path that is not absolute is protected too,
// since nothing says which folder it names. An empty or relative `home` protects no home.
bool IsProtectedFolder(const std::string& fullPath, const std::string& home, TPathStyle style);

}  // namespace zorv
