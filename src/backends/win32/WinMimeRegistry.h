#pragma once
#include <windows.h>

#include <vector>

#include "shared/MimeTypes.h"
#include "shared/Win32Handles.h"

namespace zorv {

// The registry's content types, read once and read again only after the registry reports a
// change under the classes keys: every extension key with a "Content Type" value, then every
// type under MIME\Database\Content Type with an "Extension" value, in that order.
class TWinMimeRegistry {
public:
    TWinMimeRegistry();
    TWinMimeRegistry(const TWinMimeRegistry&) = delete;
    TWinMimeRegistry& operator=(const TWinMimeRegistry&) = delete;

    // Installs the registry's mappings into the process's MIME table when they have not been
    // read yet or the registry has changed since; cheap otherwise. Call before a lookup.
    void Refresh();
    // Both registry passes, as they stand now.
    static std::vector<TMimeMapping> ReadMappings();

private:
    void WatchForChanges();
    bool RegistryChanged() const;

    bool FLoaded = false;
    TRegKeyHandle FMachineClasses;
    TRegKeyHandle FUserClasses;
    TKernelHandle FMachineChanged;
    TKernelHandle FUserChanged;
};

}  // namespace zorv
