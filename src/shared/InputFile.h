#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "shared/Result.h"

namespace zorv {

// A file read from start to end (or from a chosen offset), without the stream and locale
// machinery of <fstream>: the Windows runtime links statically and carries every byte it uses.
// The file is opened as a C runtime would open it for reading (others may still write it), and
// it is read to its actual end, not to a size taken when it was opened, so pseudo-files and files
// that grow read as they are.
class TInputFile {
public:
    ~TInputFile();
    TInputFile(const TInputFile&) = delete;
    TInputFile& operator=(const TInputFile&) = delete;

    // The file at `path` (UTF-8), or why it cannot be opened.
    static TResult<std::unique_ptr<TInputFile>> Open(const std::string& path);

    // Moves to `offset` bytes from the start; false when the system refuses. Past the end, the
    // next Read gives 0.
    bool Seek(uint64_t offset);
    // Up to `size` bytes into `buffer`: how many (0 at the end), or nothing when the read failed.
    TResult<std::size_t> Read(char* buffer, std::size_t size);

    // How a read of the rest of the file ended.
    enum class TEnd { Complete, TooLarge, Failed };
    // Appends the rest of the file to `bytes`, stopping once `bytes` would grow past `limit`.
    TEnd AppendRest(std::string& bytes, std::size_t limit);

private:
    struct TImpl;
    explicit TInputFile(std::unique_ptr<TImpl> impl);

    std::unique_ptr<TImpl> FImpl;
};

// The whole file at `path` (UTF-8), or why it cannot be read: it cannot be opened or read, or it
// holds more than `limit` bytes.
TResult<std::string> ReadWholeFile(const std::string& path, std::size_t limit);

}  // namespace zorv
