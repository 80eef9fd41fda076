#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "shared/Result.h"

namespace zorv {

// What a folder is, whatever path, link or mount reaches it: the same folder mounted again
// elsewhere (a bind mount) has the same identity.
struct TFolderIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const TFolderIdentity&) const = default;
};

// Deletes a folder with everything in it through descriptors: each folder is opened once, without
// following a link, and everything below it is reached from that descriptor alone. Whatever is
// renamed or swapped for a link meanwhile, the walk never leaves the folder it opened, and a link
// met inside is removed as a link, never followed. Folders are told apart by identity, not path.
class TPosixFolderDeletion {
public:
    TPosixFolderDeletion() = delete;

    // The folders never to be deleted: the root, the folder `home` and every folder that holds it,
    // found by going up from `home` as the system does. An empty, relative or missing `home`
    // protects the root alone.
    static std::vector<TFolderIdentity> ProtectedFolders(const std::string& home);

    // Deletes what `dirPath` names, with everything in it. Links on the way to the last step are
    // followed; the last step is followed only when the spelling asks the system to (a trailing
    // slash, "." or ".."), so a link there is deleted itself. A file is deleted like a folder.
    // A protected folder, as the target or anywhere inside it, is never entered: the target is
    // refused whole; met inside, it stays with the folders that hold it, everything else goes and
    // the deletion fails. Fails with the system's message for the first thing that could not go.
    static TStatus Delete(const std::string& dirPath, const std::vector<TFolderIdentity>& protectedFolders);

    // How deep folders may nest below the target; each level holds a descriptor while it is open.
    static constexpr int MaxDepth = 512;
};

}  // namespace zorv
