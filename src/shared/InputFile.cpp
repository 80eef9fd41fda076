#include "shared/InputFile.h"

#include <algorithm>

namespace zorv {

TInputFile::TEnd TInputFile::AppendRest(std::string& bytes, std::size_t limit) {
    constexpr std::size_t ChunkSize = 64 * 1024;
    for (;;) {
        const std::size_t before = bytes.size();
        // One byte past the limit is asked for, so a file of exactly `limit` bytes is not refused.
        const std::size_t room = limit >= before ? limit - before + 1 : 1;
        bytes.resize(before + std::min(ChunkSize, room));
        TResult<std::size_t> got = Read(bytes.data() + before, bytes.size() - before);
        bytes.resize(before + (got ? got.Value() : 0));
        if (!got) return TEnd::Failed;
        if (bytes.size() > limit) {
            bytes.resize(limit);
            return TEnd::TooLarge;
        }
        if (got.Value() == 0) return TEnd::Complete;
    }
}

TResult<std::string> ReadWholeFile(const std::string& path, std::size_t limit) {
    TResult<std::unique_ptr<TInputFile>> file = TInputFile::Open(path);
    if (!file) return Failure(file.Error());
    std::string bytes;
    switch (file.Value()->AppendRest(bytes, limit)) {
        case TInputFile::TEnd::Complete: return bytes;
        case TInputFile::TEnd::TooLarge:
            return Failure("File \"" + path + "\" is larger than " + std::to_string(limit) + " bytes");
        case TInputFile::TEnd::Failed: break;
    }
    return Failure("Cannot read file \"" + path + "\"");
}

}  // namespace zorv
