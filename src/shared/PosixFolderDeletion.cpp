#include "shared/PosixFolderDeletion.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "shared/PosixUniqueFd.h"

namespace zorv {
namespace {

TFailure ErrnoFailure(int code) { return Failure(std::strerror(code)); }

// A folder opened for reading its entries; its descriptor is the one every step below it starts
// from.
struct TCloseDir {
    void operator()(DIR* folder) const { ::closedir(folder); }
};
using TOpenFolder = std::unique_ptr<DIR, TCloseDir>;

TFolderIdentity IdentityOf(const struct stat& info) { return {info.st_dev, info.st_ino}; }

std::optional<TFolderIdentity> IdentityOf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return std::nullopt;
    return IdentityOf(info);
}

// The folder named `name` in `parent`, or nothing with the system's error code in `error`:
// ENOTDIR or ELOOP when the entry is a file or a link, which is not followed.
TOpenFolder OpenSubfolder(int parent, const char* name, int& error) {
    TUniqueFd fd(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    TOpenFolder folder(fd.Valid() ? ::fdopendir(fd.Get()) : nullptr);
    error = errno;
    if (folder) fd.Release();
    return folder;
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

class TFolderEraser {
public:
    explicit TFolderEraser(const std::vector<TFolderIdentity>& protectedFolders) : FProtected(protectedFolders) {}

    // Removes the entry `name` of `parent`: a file or a link by unlinking it, a folder with all it
    // holds. The entry may change between a folder and anything else while this runs; each try
    // acts on what it finds.
    TStatus RemoveEntry(int parent, const char* name, int depth) {
        int error = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (::unlinkat(parent, name, 0) == 0) return Succeeded();
            if (errno != EISDIR) return ErrnoFailure(errno);
            TOpenFolder folder = OpenSubfolder(parent, name, error);
            if (folder) return RemoveFolder(parent, name, std::move(folder), depth);
            // No longer a folder: a file or a link took its place, which the next try unlinks.
            if (error != ENOTDIR && error != ELOOP) break;
        }
        return ErrnoFailure(error);
    }

private:
    bool IsProtected(const TFolderIdentity& identity) const {
        return std::find(FProtected.begin(), FProtected.end(), identity) != FProtected.end();
    }

    TStatus RemoveFolder(int parent, const char* name, TOpenFolder folder, int depth) {
        const std::optional<TFolderIdentity> identity = IdentityOf(::dirfd(folder.get()));
        if (!identity) return ErrnoFailure(errno);
        if (IsProtected(*identity)) return ErrnoFailure(EPERM);
        if (depth >= TPosixFolderDeletion::MaxDepth) {
            return Failure("The folder nests deeper than " + std::to_string(TPosixFolderDeletion::MaxDepth) +
                           " levels");
        }
        const TStatus emptied = RemoveContents(folder.get(), depth + 1);
        if (!emptied) return emptied;
        folder.reset();
        // The entry must still be the folder just emptied, not one put in its place meanwhile.
        struct stat now {};
        if (::fstatat(parent, name, &now, AT_SYMLINK_NOFOLLOW) != 0) return ErrnoFailure(errno);
        if (IdentityOf(now) != *identity) return ErrnoFailure(EBUSY);
        if (::unlinkat(parent, name, AT_REMOVEDIR) != 0) return ErrnoFailure(errno);
        return Succeeded();
    }

    // Removes every entry it can, and fails with the first that could not go.
    TStatus RemoveContents(DIR* folder, int depth) {
        TStatus outcome = Succeeded();
        const int fd = ::dirfd(folder);
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(folder);
            if (entry == nullptr) {
                if (errno != 0 && outcome) outcome = ErrnoFailure(errno);
                break;
            }
            if (IsDotOrDotDot(entry->d_name)) continue;
            TStatus removed = RemoveEntry(fd, entry->d_name, depth);
            if (!removed && outcome) outcome = std::move(removed);
        }
        return outcome;
    }

    const std::vector<TFolderIdentity>& FProtected;
};

// Whether the system follows the last step of `path` as a link: after a trailing slash and
// through "." and "..".
bool FollowsTheLastStep(const std::string& path) {
    if (path.back() == '/') return true;
    const std::size_t slash = path.find_last_of('/');
    const std::string_view last = std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    return last == "." || last == "..";
}

struct TFreeText {
    void operator()(char* text) const { std::free(text); }
};

// The entry that deleting `dirPath` acts on: the folder that holds it, opened with the links on
// the way followed, and its name there.
struct TEntryPlace {
    TUniqueFd folder;
    std::string name;
};

TResult<TEntryPlace> PlaceOf(const std::string& dirPath) {
    std::string path = dirPath;
    if (FollowsTheLastStep(dirPath)) {
        const std::unique_ptr<char, TFreeText> resolved(::realpath(dirPath.c_str(), nullptr));
        if (!resolved) return ErrnoFailure(errno);
        path = resolved.get();
        // The root has no folder holding it and can never go.
        if (path == "/") return ErrnoFailure(EPERM);
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string holder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    TUniqueFd folder(::open(holder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.Valid()) return ErrnoFailure(errno);
    return TEntryPlace{std::move(folder), slash == std::string::npos ? path : path.substr(slash + 1)};
}

}  // namespace

std::vector<TFolderIdentity> TPosixFolderDeletion::ProtectedFolders(const std::string& home) {
    std::vector<TFolderIdentity> folders;
    const TUniqueFd root(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (const std::optional<TFolderIdentity> identity = IdentityOf(root.Get())) folders.push_back(*identity);
    if (home.empty() || home.front() != '/') return folders;
    // Up from the home folder through "..", which is never a link: the folders that hold it as the
    // system sees them, up to the root, whose ".." is itself.
    TUniqueFd folder(::open(home.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    while (folder.Valid()) {
        const std::optional<TFolderIdentity> identity = IdentityOf(folder.Get());
        if (!identity || std::find(folders.begin(), folders.end(), *identity) != folders.end()) break;
        folders.push_back(*identity);
        folder = TUniqueFd(::openat(folder.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    return folders;
}

TStatus TPosixFolderDeletion::Delete(const std::string& dirPath, const std::vector<TFolderIdentity>& protectedFolders) {
    if (dirPath.empty()) return ErrnoFailure(ENOENT);
    TResult<TEntryPlace> place = PlaceOf(dirPath);
    if (!place) return Failure(place.Error());
    return TFolderEraser(protectedFolders).RemoveEntry(place.Value().folder.Get(), place.Value().name.c_str(), 0);
}

}  // namespace zorv
