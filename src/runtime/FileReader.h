#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "shared/FileRegion.h"
#include "shared/Result.h"

namespace zorv {

// Pulls part of a file on disk as the consumer asks, one block at a time whatever the file's
// size, for answers streamed rather than read whole into memory. The part's length is promised
// to the consumer before a byte is read, so a file cut short since (or while) it is read fails
// the read that meets the missing bytes: a part never ends early as if it were whole. A file that
// grows is read only as far as the part goes. One reader serves one consumer at a time.
class TFileReader {
public:
    // The most a read from the disk fetches at once; smaller reads are then served from memory.
    static constexpr std::size_t BlockSize = 64 * 1024;

    // The part [offset, offset + length) of the file at `path` (UTF-8); a failure when the file
    // cannot be opened or no longer holds the part.
    static TResult<std::unique_ptr<TFileReader>> Open(const std::string& path, uint64_t offset, uint64_t length);

    uint64_t Length() const { return FLength; }
    // Where the next Read starts, counted from the start of the part.
    uint64_t Position() const { return FPosition; }
    // How many bytes the next Read hands over from memory, without touching the disk.
    std::size_t Buffered() const { return FBlockEnd - FBlockPosition; }
    // Up to `size` bytes into `buffer`: how many (0 at the end of the part), or why the file
    // cannot be read any further.
    TResult<std::size_t> Read(char* buffer, std::size_t size);
    // Moves to `position` (from the start of the part, at most Length()); what was kept in memory
    // is dropped. False beyond the part.
    bool Seek(uint64_t position);

private:
    TFileReader(std::unique_ptr<TFileRegion> region, std::string path, uint64_t offset, uint64_t length);
    TStatus FillBlock();

    std::unique_ptr<TFileRegion> FRegion;
    std::string FPath;
    uint64_t FOffset;  // where the part starts in the file
    uint64_t FLength;
    uint64_t FPosition = 0;
    std::unique_ptr<char[]> FBlock;  // made at the first read
    std::size_t FBlockPosition = 0;
    std::size_t FBlockEnd = 0;
};

}  // namespace zorv
