#include "shared/ExeUtils.h"

#include "shared/ExeUtilsParts.h"
#include "shared/FileSystem.h"
#include "shared/Utf8Path.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace zorv {
namespace {

using exe_utils::OpenFile;
using exe_utils::SeekTo;
using exe_utils::SeekToEnd;
using exe_utils::TFilePtr;

std::string FileError(const char* verb, const std::string& path, int error) {
    return std::string("Cannot ") + verb + " file \"" + path + "\". " + std::strerror(error);
}

TExeUtils::TReadAt FileReader(std::FILE* file) {
    return [file](uint64_t offset, void* target, std::size_t size) {
        return SeekTo(file, offset) && std::fread(target, 1, size, file) == size;
    };
}

TExeUtils::TReadAt BytesReader(std::string_view bytes) {
    return [bytes](uint64_t offset, void* target, std::size_t size) {
        if (offset > bytes.size() || bytes.size() - offset < size) return false;
        std::memcpy(target, bytes.data() + offset, size);
        return true;
    };
}

// Little- or big-endian integer fields of a header read into memory.
class THeaderFields {
public:
    THeaderFields(const unsigned char* data, bool bigEndian) : FData(data), FBigEndian(bigEndian) {}
    uint64_t Get(std::size_t offset, std::size_t width) const {
        uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t byte = FBigEndian ? offset + i : offset + width - 1 - i;
            value = (value << 8) | FData[byte];
        }
        return value;
    }

private:
    const unsigned char* FData;
    bool FBigEndian;
};

// Grows `furthest` to offset + size; false when the sum does not fit in 64 bits.
bool Extend(uint64_t& furthest, uint64_t offset, uint64_t size) {
    if (offset > UINT64_MAX - size) return false;
    furthest = std::max(furthest, offset + size);
    return true;
}

bool Multiply(uint64_t count, uint64_t size, uint64_t& product) {
    if (size != 0 && count > UINT64_MAX / size) return false;
    product = count * size;
    return true;
}

struct TElfLayout {
    bool is64 = false;
    std::size_t headerSize = 0, phEntryMin = 0, shEntryMin = 0;
    std::size_t phOffsetAt = 0, shOffsetAt = 0, ehSizeAt = 0, phEntSizeAt = 0, phNumAt = 0, shEntSizeAt = 0,
                shNumAt = 0;
    std::size_t wordSize = 0;
    std::size_t shTypeAt = 4, shOffsetFieldAt = 0, shSizeAt = 0, shInfoAt = 0;
    std::size_t pOffsetAt = 0, pFileSizeAt = 0;
};

constexpr TElfLayout Elf32Layout{false, 52, 32, 40, 28, 32, 40, 42, 44, 46, 48, 4, 4, 16, 20, 28, 4, 16};
constexpr TElfLayout Elf64Layout{true, 64, 56, 64, 32, 40, 52, 54, 56, 58, 60, 8, 4, 24, 32, 44, 8, 32};
constexpr uint32_t SectionTypeNoBits = 8;
constexpr uint64_t ProgramHeaderExtendedNumbering = 0xFFFF;

}  // namespace

TExeUtils::TExeUtils() : FExePath(exe_utils::RunningImagePath()) {}
TExeUtils::TExeUtils(std::string exePath) : FExePath(std::move(exePath)) {}

TExeImageKind TExeUtils::ImageKind(const TReadAt& read) {
    std::array<unsigned char, 4> magic{};
    if (!read(0, magic.data(), magic.size())) return TExeImageKind::Unknown;
    if (magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F') return TExeImageKind::Elf;
    if (magic[0] != 'M' || magic[1] != 'Z') return TExeImageKind::Unknown;
    std::array<unsigned char, 4> offset{};
    if (!read(0x3C, offset.data(), offset.size())) return TExeImageKind::Unknown;
    const uint64_t peOffset = THeaderFields(offset.data(), false).Get(0, 4);
    std::array<unsigned char, 4> signature{};
    if (!read(peOffset, signature.data(), signature.size())) return TExeImageKind::Unknown;
    return std::memcmp(signature.data(), "PE\0\0", 4) == 0 ? TExeImageKind::Pe : TExeImageKind::Unknown;
}

std::optional<uint64_t> TExeUtils::PeStubSize(const TReadAt& read) {
    std::array<unsigned char, 40> buffer{};
    if (!read(0x3C, buffer.data(), 4)) return std::nullopt;
    const uint64_t fileHeader = THeaderFields(buffer.data(), false).Get(0, 4) + 4;
    if (!read(fileHeader, buffer.data(), 20)) return std::nullopt;
    const THeaderFields header(buffer.data(), false);
    const uint64_t sectionCount = header.Get(2, 2);
    const uint64_t sectionTable = fileHeader + 20 + header.Get(16, 2);
    uint64_t stubSize = 0;
    for (uint64_t i = 0; i < sectionCount; ++i) {
        if (!read(sectionTable + i * 40, buffer.data(), 40)) return std::nullopt;
        const THeaderFields section(buffer.data(), false);
        stubSize = std::max(stubSize, section.Get(20, 4) + section.Get(16, 4));
    }
    return stubSize;
}

std::optional<uint64_t> TExeUtils::ElfStubSize(const TReadAt& read) {
    std::array<unsigned char, 64> buffer{};
    if (!read(0, buffer.data(), 6)) return std::nullopt;
    if (buffer[0] != 0x7F || buffer[1] != 'E' || buffer[2] != 'L' || buffer[3] != 'F') return std::nullopt;
    if ((buffer[4] != 1 && buffer[4] != 2) || (buffer[5] != 1 && buffer[5] != 2)) return std::nullopt;
    const TElfLayout& layout = buffer[4] == 2 ? Elf64Layout : Elf32Layout;
    const bool bigEndian = buffer[5] == 2;
    if (!read(0, buffer.data(), layout.headerSize)) return std::nullopt;
    const THeaderFields header(buffer.data(), bigEndian);
    const uint64_t phOffset = header.Get(layout.phOffsetAt, layout.wordSize);
    const uint64_t shOffset = header.Get(layout.shOffsetAt, layout.wordSize);
    const uint64_t phEntrySize = header.Get(layout.phEntSizeAt, 2);
    const uint64_t shEntrySize = header.Get(layout.shEntSizeAt, 2);
    uint64_t phCount = header.Get(layout.phNumAt, 2);
    uint64_t shCount = header.Get(layout.shNumAt, 2);
    uint64_t furthest = std::max<uint64_t>(layout.headerSize, header.Get(layout.ehSizeAt, 2));

    std::vector<unsigned char> entry(std::max(layout.shEntryMin, layout.phEntryMin));
    const bool hasSections = shOffset != 0;
    if (hasSections) {
        if (shEntrySize < layout.shEntryMin) return std::nullopt;
        // Very large counts live in the first section header (extended numbering).
        if (shCount == 0 || phCount == ProgramHeaderExtendedNumbering) {
            if (!read(shOffset, entry.data(), layout.shEntryMin)) return std::nullopt;
            const THeaderFields first(entry.data(), bigEndian);
            if (shCount == 0) shCount = first.Get(layout.shSizeAt, layout.wordSize);
            if (phCount == ProgramHeaderExtendedNumbering) phCount = first.Get(layout.shInfoAt, 4);
        }
        uint64_t tableSize = 0;
        if (!Multiply(shCount, shEntrySize, tableSize) || !Extend(furthest, shOffset, tableSize)) return std::nullopt;
        for (uint64_t i = 0; i < shCount; ++i) {
            if (!read(shOffset + i * shEntrySize, entry.data(), layout.shEntryMin)) return std::nullopt;
            const THeaderFields section(entry.data(), bigEndian);
            if (section.Get(layout.shTypeAt, 4) == SectionTypeNoBits) continue;
            if (!Extend(furthest, section.Get(layout.shOffsetFieldAt, layout.wordSize),
                        section.Get(layout.shSizeAt, layout.wordSize)))
                return std::nullopt;
        }
    }
    if (phCount > 0) {
        if (phEntrySize < layout.phEntryMin) return std::nullopt;
        uint64_t tableSize = 0;
        if (!Multiply(phCount, phEntrySize, tableSize) || !Extend(furthest, phOffset, tableSize)) return std::nullopt;
        for (uint64_t i = 0; i < phCount; ++i) {
            if (!read(phOffset + i * phEntrySize, entry.data(), layout.phEntryMin)) return std::nullopt;
            const THeaderFields segment(entry.data(), bigEndian);
            if (!Extend(furthest, segment.Get(layout.pOffsetAt, layout.wordSize),
                        segment.Get(layout.pFileSizeAt, layout.wordSize)))
                return std::nullopt;
        }
    }
    return furthest;
}

std::optional<uint64_t> TExeUtils::StubSize(const TReadAt& read) {
    switch (ImageKind(read)) {
        case TExeImageKind::Pe: return PeStubSize(read);
        case TExeImageKind::Elf: return ElfStubSize(read);
        case TExeImageKind::Unknown: break;
    }
    return std::nullopt;
}

std::optional<uint64_t> TExeUtils::StubSizeOfBytes(std::string_view bytes) { return StubSize(BytesReader(bytes)); }

std::optional<uint64_t> TExeUtils::StubSizeOfFile(const std::string& path) {
    const TFilePtr file = OpenFile(path, "rb");
    if (!file) return std::nullopt;
    return StubSize(FileReader(file.get()));
}

TExeImageKind TExeUtils::ImageKindOfFile(const std::string& path) {
    const TFilePtr file = OpenFile(path, "rb");
    if (!file) return TExeImageKind::Unknown;
    return ImageKind(FileReader(file.get()));
}

std::optional<uint64_t> TExeUtils::GetFileByteSize(const std::string& path) {
    return TFileSystem::FileSize(Utf8Path(path));
}

bool TExeUtils::ExeHasAttachedStub() const {
    const std::optional<uint64_t> fileSize = GetFileByteSize(FExePath);
    const std::optional<uint64_t> stubSize = StubSizeOfFile(FExePath);
    return fileSize && stubSize && *fileSize > *stubSize;
}

TResult<TExeUtils::TAppendedRegion> TExeUtils::AppendedRegion() const {
    const std::optional<uint64_t> fileSize = GetFileByteSize(FExePath);
    if (!fileSize) return Failure(FileError("open", FExePath, ENOENT));
    const std::optional<uint64_t> stubSize = StubSizeOfFile(FExePath);
    if (!stubSize || *fileSize <= *stubSize) return Failure(NotValidApplicationMessage);
    return TAppendedRegion{*stubSize, *fileSize - *stubSize};
}

template <typename TWrite>
TStatus TExeUtils::CopyLoop(std::FILE* source, const std::string& sourcePath, uint64_t total, TWrite&& write) {
    if (OnProgressMax) OnProgressMax(*this, static_cast<int64_t>(total));
    std::vector<char> buffer(CopyBufferSize);
    uint64_t copied = 0;
    while (copied < total) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<uint64_t>(CopyBufferSize, total - copied));
        const std::size_t got = std::fread(buffer.data(), 1, wanted, source);
        if (got == 0) {
            // The source ended (or failed) before the expected length: stop instead of spinning.
            return Failure("Cannot read file \"" + sourcePath + "\": it ended after " + std::to_string(copied) +
                           " of " + std::to_string(total) + " bytes");
        }
        if (TStatus written = write(buffer.data(), got); !written) return written;
        copied += got;
        if (OnProgressPos) OnProgressPos(*this, static_cast<int64_t>(copied));
    }
    return {};
}

TResult<std::string> TExeUtils::GetZipFromExe() {
    const TResult<TAppendedRegion> region = AppendedRegion();
    if (!region) return Failure(region.Error());
    const TFilePtr exe = OpenFile(FExePath, "rb");
    if (!exe || !SeekTo(exe.get(), region.Value().offset)) return Failure(FileError("open", FExePath, errno));
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(region.Value().size));
    const TStatus copied =
        CopyLoop(exe.get(), FExePath, region.Value().size, [&](const char* data, std::size_t size) -> TStatus {
            bytes.append(data, size);
            return {};
        });
    if (!copied) return Failure(copied.Error());
    return bytes;
}

TResult<std::unique_ptr<TFileRegion>> TExeUtils::OpenZipInExe() const {
    const TResult<TAppendedRegion> region = AppendedRegion();
    if (!region) return Failure(region.Error());
    return TFileRegion::Open(FExePath, region.Value().offset);
}

TStatus TExeUtils::ExtractZipFromExe(const std::string& zipPath) {
    const TResult<TAppendedRegion> region = AppendedRegion();
    if (!region) return Failure(region.Error());
    const TFilePtr exe = OpenFile(FExePath, "rb");
    if (!exe || !SeekTo(exe.get(), region.Value().offset)) return Failure(FileError("open", FExePath, errno));
    TFilePtr zip = OpenFile(zipPath, "wb");
    if (!zip) return Failure(FileError("create", zipPath, errno));
    bool done = false;
    // Closes the file first, so that the removal also works where open files cannot be removed.
    struct TRemoveUnlessDone {
        TFilePtr& file;
        const std::string& path;
        const bool& done;
        ~TRemoveUnlessDone() {
            if (done) return;
            file.reset();
            TFileSystem::Remove(Utf8Path(path));
        }
    } removeUnlessDone{zip, zipPath, done};
    const TStatus copied =
        CopyLoop(exe.get(), FExePath, region.Value().size, [&](const char* data, std::size_t size) -> TStatus {
            if (std::fwrite(data, 1, size, zip.get()) == size) return {};
            return Failure(FileError("write", zipPath, errno));
        });
    if (!copied) return copied;
    if (std::fclose(zip.release()) != 0) return Failure(FileError("write", zipPath, errno));
    done = true;
    return {};
}

TStatus TExeUtils::AppendZipToExe(const std::string& zipPath, const std::string& exePath) {
    const TFilePtr zip = OpenFile(zipPath, "rb");
    if (!zip) return Failure(FileError("open", zipPath, errno));
    TFilePtr exe = OpenFile(exePath, "r+b");
    if (!exe || !SeekToEnd(exe.get())) return Failure(FileError("open", exePath, errno));
    const std::optional<uint64_t> zipSize = GetFileByteSize(zipPath);
    if (!zipSize) return Failure(FileError("open", zipPath, ENOENT));
    const TStatus copied = CopyLoop(zip.get(), zipPath, *zipSize, [&](const char* data, std::size_t size) -> TStatus {
        if (std::fwrite(data, 1, size, exe.get()) == size) return {};
        return Failure(FileError("write", exePath, errno));
    });
    if (!copied) return copied;
    if (std::fclose(exe.release()) != 0) return Failure(FileError("write", exePath, errno));
    return {};
}

}  // namespace zorv
