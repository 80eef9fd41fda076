#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "shared/ByteSource.h"
#include "shared/Result.h"

namespace zorv {

// The bytes of a file from an offset to its end, read in place for as long as the object lives:
// nothing is copied when it is opened. The file stays open, so a file replaced by another under
// the same name is still read as it was.
// - Windows: the file is held open without write sharing, so it can be neither written nor
//   truncated while the region lives, but with delete sharing, so it can be renamed (the running
//   executable of an application that updates itself). A file on a fixed, non-removable local
//   disk is mapped read-only; one on a network share, a removable drive or a disk on an
//   unpluggable bus (StorageFactsWin32.h) is read through its handle instead, as a mapped page
//   that can no longer be fetched would end the process rather than fail a read.
// - POSIX: reads go through pread on a held descriptor rather than a mapping, so a file truncated
//   or lost on a network while in use makes a read fail (false) instead of ending the process
//   with SIGBUS.
class TFileRegion final : public IByteSource {
public:
    ~TFileRegion() override;
    TFileRegion(const TFileRegion&) = delete;
    TFileRegion& operator=(const TFileRegion&) = delete;

    // How the bytes are reached: as the file's location suits (above), or always by reads.
    enum class TAccess { ByLocation, Reads };

    // The region [offset, end of file) of the file at `path` (UTF-8).
    static TResult<std::unique_ptr<TFileRegion>> Open(const std::string& path, uint64_t offset,
                                                      TAccess access = TAccess::ByLocation);

    uint64_t Size() const override { return FSize; }
    bool ReadAt(uint64_t offset, void* target, std::size_t size) const override;
    // Whether the bytes are read from a mapping (else through the file handle).
    bool IsMapped() const;

private:
    struct TImpl;
    TFileRegion(std::unique_ptr<TImpl> impl, uint64_t offset, uint64_t size);

    std::unique_ptr<TImpl> FImpl;
    uint64_t FOffset;  // where the region starts in the file
    uint64_t FSize;
};

}  // namespace zorv
