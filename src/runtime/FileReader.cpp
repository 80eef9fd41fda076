#include "runtime/FileReader.h"

#include <algorithm>
#include <cstring>

namespace zorv {

namespace {

std::string ChangedWhileRead(const std::string& path) {
    return "Cannot read file " + path + ": it was changed or removed while it was read";
}

}  // namespace

TFileReader::TFileReader(std::unique_ptr<TFileRegion> region, std::string path, uint64_t offset, uint64_t length)
    : FRegion(std::move(region)), FPath(std::move(path)), FOffset(offset), FLength(length) {}

TResult<std::unique_ptr<TFileReader>> TFileReader::Open(const std::string& path, uint64_t offset, uint64_t length) {
    TResult<std::unique_ptr<TFileRegion>> region = TFileRegion::Open(path, 0, TFileRegion::TAccess::Reads);
    if (!region) return Failure(region.Error());
    if (region.Value()->Size() < offset || region.Value()->Size() - offset < length)
        return Failure(ChangedWhileRead(path));
    return std::unique_ptr<TFileReader>(new TFileReader(std::move(region).Value(), path, offset, length));
}

TResult<std::size_t> TFileReader::Read(char* buffer, std::size_t size) {
    if (size == 0 || FPosition == FLength) return std::size_t{0};
    if (Buffered() == 0) {
        if (TStatus filled = FillBlock(); !filled) return Failure(filled.Error());
    }
    const std::size_t count = std::min(size, Buffered());
    std::memcpy(buffer, FBlock.get() + FBlockPosition, count);
    FBlockPosition += count;
    FPosition += count;
    return count;
}

bool TFileReader::Seek(uint64_t position) {
    if (position > FLength) return false;
    FPosition = position;
    FBlockPosition = FBlockEnd = 0;
    return true;
}

TStatus TFileReader::FillBlock() {
    if (!FBlock) FBlock = std::make_unique<char[]>(BlockSize);
    const auto count = static_cast<std::size_t>(std::min<uint64_t>(BlockSize, FLength - FPosition));
    if (!FRegion->ReadAt(FOffset + FPosition, FBlock.get(), count)) return Failure(ChangedWhileRead(FPath));
    FBlockPosition = 0;
    FBlockEnd = count;
    return Succeeded();
}

}  // namespace zorv
