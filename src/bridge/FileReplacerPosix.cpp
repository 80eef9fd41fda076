#include "bridge/FileReplacer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bridge/FileReplacerParts.h"
#include "shared/PosixUniqueFd.h"

namespace zorv::file_replacer {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

TStatus ProduceInto(int fd, const TFileReplacer::TProducer& produce, const std::string& utf8Path) {
    return Produce(
        produce, utf8Path, [fd](std::string_view bytes) { return WriteAll(fd, bytes); },
        [] { return errno ? errno : EIO; }, [](int error) { return std::string(std::strerror(error)); });
}

// FIFOs, devices and files with several names (hard links) are written where they are, as is a
// file whose owner a new file could not be given, or beside which no file can be made.
TStatus WriteInPlace(const std::string& utf8Path, const std::string& target, mode_t mode,
                     const TFileReplacer::TProducer& produce) {
    // A FIFO without a reader is refused rather than waited for.
    TUniqueFd file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | (S_ISREG(mode) ? O_TRUNC : O_NONBLOCK)));
    if (!file.Valid()) return CannotCreate(utf8Path, std::strerror(errno));
    if (!S_ISREG(mode)) ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);
    if (TStatus produced = ProduceInto(file.Get(), produce, utf8Path); !produced) return produced;
    if ((S_ISREG(mode) && ::fsync(file.Get()) != 0) || !file.Close())
        return CannotCreate(utf8Path, std::strerror(errno));
    return Succeeded();
}

// The new file takes the target's owner and mode; false when it cannot have the owner.
bool TakeOwnerAndMode(int fd, const struct stat& existing) {
    if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
        ::fchown(fd, existing.st_uid, existing.st_gid) != 0)
        return false;
    (void)::fchmod(fd, existing.st_mode & 07777);
    return true;
}

}  // namespace

TStatus WriteTarget(const std::string& utf8Path, const std::string& target, const TFileReplacer::TProducer& produce) {
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || existing.st_nlink > 1))
        return WriteInPlace(utf8Path, target, existing.st_mode, produce);
    const std::string temporary = TemporaryNameBeside(target);
    TUniqueFd file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.Valid()) {
        if (exists) return WriteInPlace(utf8Path, target, existing.st_mode, produce);
        return CannotCreate(utf8Path, std::strerror(errno));
    }
    if (exists && !TakeOwnerAndMode(file.Get(), existing)) {
        (void)file.Close();
        ::unlink(temporary.c_str());
        return WriteInPlace(utf8Path, target, existing.st_mode, produce);
    }
    TStatus outcome;
    try {
        outcome = ProduceInto(file.Get(), produce, utf8Path);
    } catch (...) {
        (void)file.Close();
        ::unlink(temporary.c_str());
        throw;
    }
    // The new content reaches the disk before it takes an existing file's place, so that a crash
    // never leaves an empty file where the old one was. A new file is not waited for: a crash may
    // cost it, but nothing that was there before, and a burst of small new files does not hold the
    // window behind one disk flush each.
    if (outcome && ((exists && ::fsync(file.Get()) != 0) || !file.Close()))
        outcome = CannotCreate(utf8Path, std::strerror(errno));
    if (outcome && ::rename(temporary.c_str(), target.c_str()) != 0)
        outcome = CannotCreate(utf8Path, std::strerror(errno));
    if (!outcome) {
        (void)file.Close();
        ::unlink(temporary.c_str());
    }
    return outcome;
}

}  // namespace zorv::file_replacer
