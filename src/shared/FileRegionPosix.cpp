#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "shared/FileRegion.h"
#include "shared/PosixUniqueFd.h"

namespace zorv {

struct TFileRegion::TImpl {
    TUniqueFd fd;
};

TFileRegion::TFileRegion(std::unique_ptr<TImpl> impl, uint64_t offset, uint64_t size)
    : FImpl(std::move(impl)), FOffset(offset), FSize(size) {}

TFileRegion::~TFileRegion() = default;

TResult<std::unique_ptr<TFileRegion>> TFileRegion::Open(const std::string& path, uint64_t offset, TAccess) {
    auto impl = std::make_unique<TImpl>(TImpl{TUniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC))});
    if (!impl->fd.Valid()) return Failure("Cannot open file \"" + path + "\". " + std::strerror(errno));
    struct stat info {};
    if (::fstat(impl->fd.Get(), &info) != 0)
        return Failure("Cannot open file \"" + path + "\". " + std::strerror(errno));
    const uint64_t fileSize = static_cast<uint64_t>(info.st_size);
    if (offset > fileSize) return Failure("Cannot read file \"" + path + "\": it is shorter than expected");
    return std::unique_ptr<TFileRegion>(new TFileRegion(std::move(impl), offset, fileSize - offset));
}

bool TFileRegion::ReadAt(uint64_t offset, void* target, std::size_t size) const {
    if (offset > FSize || FSize - offset < size) return false;
    auto* out = static_cast<char*>(target);
    uint64_t position = FOffset + offset;
    while (size > 0) {
        const ssize_t got = ::pread(FImpl->fd.Get(), out, size, static_cast<off_t>(position));
        if (got < 0 && errno == EINTR) continue;
        // An error, or the end of a file that was cut short since it was opened.
        if (got <= 0) return false;
        out += got;
        position += static_cast<uint64_t>(got);
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool TFileRegion::IsMapped() const { return false; }
}  // namespace zorv
