#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shared/FileRegion.h"
#include "shared/Result.h"

namespace zorv {

enum class TExeImageKind { Unknown, Pe, Elf };

// The packaged-executable container: an executable image of S bytes (its headers and the data
// of all its sections or segments) followed by a ZIP archive, then optional trailing bytes.
// Nothing marks the appended region; it is everything past S. Works on the running executable,
// or on any executable file given to the constructor. Never throws for a file error: operations
// fail with the reason. Errors raised by a progress handler pass through after the files are
// closed.
class TExeUtils {
public:
    using TOnProgressMax = std::function<void(TExeUtils& sender, int64_t max)>;
    using TOnProgressPos = std::function<void(TExeUtils& sender, int64_t pos)>;
    // Reads exactly `size` bytes at `offset` into `target`; false when they are not all there.
    using TReadAt = std::function<bool(uint64_t offset, void* target, std::size_t size)>;

    static constexpr std::size_t CopyBufferSize = 10240;
    static constexpr const char* NotValidApplicationMessage = "This is not a valid Windows application";

    TExeUtils();
    explicit TExeUtils(std::string exePath);

    // Called once before a copy with the number of bytes to copy, then after each block with the
    // running total.
    TOnProgressMax OnProgressMax;
    TOnProgressPos OnProgressPos;

    // True when bytes follow the executable image.
    bool ExeHasAttachedStub() const;
    // The appended region, copied; fails when nothing is appended or the file cannot be read to
    // its end.
    TResult<std::string> GetZipFromExe();
    // The appended region read in place from the file, which stays open while the region lives:
    // nothing is copied, so start-up costs the same whatever the archive's size. Fails when
    // nothing is appended or the file cannot be opened.
    TResult<std::unique_ptr<TFileRegion>> OpenZipInExe() const;
    // Writes the appended region to a new file at `zipPath` (an existing one is replaced); a
    // failed copy removes the partial file.
    TStatus ExtractZipFromExe(const std::string& zipPath);
    // Appends the whole file `zipPath` to the end of the existing file `exePath`.
    TStatus AppendZipToExe(const std::string& zipPath, const std::string& exePath);

    const std::string& ExePath() const { return FExePath; }

    // Image layout, usable on any host for any file.
    static TExeImageKind ImageKind(const TReadAt& read);
    // S of a PE image: the furthest end of raw section data in the section table.
    static std::optional<uint64_t> PeStubSize(const TReadAt& read);
    // S of an ELF image: the furthest end of the headers, the program segments, the section data
    // and the section header table.
    static std::optional<uint64_t> ElfStubSize(const TReadAt& read);
    // S by the image's kind; nothing when the bytes are no executable image.
    static std::optional<uint64_t> StubSize(const TReadAt& read);
    static std::optional<uint64_t> StubSizeOfBytes(std::string_view bytes);
    static std::optional<uint64_t> StubSizeOfFile(const std::string& path);
    static TExeImageKind ImageKindOfFile(const std::string& path);
    // Size in bytes of the named file; nothing when there is none.
    static std::optional<uint64_t> GetFileByteSize(const std::string& path);
    // The path of the running executable as the process reports it (UTF-8), empty if unknown.
    static std::string RunningExePath();

private:
    // Where the appended region starts in the file, and its size.
    struct TAppendedRegion {
        uint64_t offset;
        uint64_t size;
    };
    // Fails when the file cannot be found or nothing follows its image.
    TResult<TAppendedRegion> AppendedRegion() const;
    // Copies `total` bytes of `source` through `write` (a TStatus of each block), with progress.
    template <typename TWrite>
    TStatus CopyLoop(std::FILE* source, const std::string& sourcePath, uint64_t total, TWrite&& write);

    std::string FExePath;
};

}  // namespace zorv
