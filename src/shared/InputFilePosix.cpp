#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "shared/InputFile.h"
#include "shared/PosixUniqueFd.h"

namespace zorv {

struct TInputFile::TImpl {
    TUniqueFd fd;
};

TInputFile::TInputFile(std::unique_ptr<TImpl> impl) : FImpl(std::move(impl)) {}

TInputFile::~TInputFile() = default;

TResult<std::unique_ptr<TInputFile>> TInputFile::Open(const std::string& path) {
    auto impl = std::make_unique<TImpl>();
    impl->fd.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!impl->fd.Valid()) return Failure("Cannot open file \"" + path + "\". " + std::strerror(errno));
    return std::unique_ptr<TInputFile>(new TInputFile(std::move(impl)));
}

bool TInputFile::Seek(uint64_t offset) {
    return ::lseek(FImpl->fd.Get(), static_cast<off_t>(offset), SEEK_SET) != static_cast<off_t>(-1);
}

TResult<std::size_t> TInputFile::Read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(FImpl->fd.Get(), buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return Failure(std::strerror(errno));
    }
}

}  // namespace zorv
