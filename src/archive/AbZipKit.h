#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

// Errors raised while opening an archive; their messages are shown to users as they stand.
class EAbException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EAbZipInvalid : public EAbException {  // "Invalid file - not a PKZip file"
public:
    EAbZipInvalid();
};
class EAbZipBadSpanStream : public EAbException {  // "Spanned archives must be opened as file streams"
public:
    EAbZipBadSpanStream();
};
class EAbNoArchive : public EAbException {  // "Archive does not exist - Filename is blank"
public:
    EAbNoArchive();
};

// The outcome of one extraction, for callers that must tell a failure from success.
enum class TAbExtractStatus { Ok, NotFound, WrongPassword, CrcMismatch, UnsupportedMethod, DamagedData, SinkFailed };

// Takes an entry's plain bytes block by block, in order; false stops the extraction.
using TAbSink = std::function<bool(const char* data, std::size_t size)>;

struct TAbZipItem {
    std::string fileName;  // decoded to UTF-8, "/" as stored
    uint16_t generalPurposeFlags = 0;
    uint16_t compressionMethod = 0;
    uint32_t crc32 = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint64_t localHeaderOffset = 0;
    uint16_t lastModTime = 0;
    uint16_t lastModDate = 0;
    uint16_t versionMadeBy = 0;
    uint16_t versionNeededToExtract = 0;
    uint32_t diskNumberStart = 0;
    uint32_t externalAttributes = 0;
    bool IsEncrypted() const { return (generalPurposeFlags & 1) != 0; }
    bool IsDirectory() const { return !fileName.empty() && fileName.back() == '/'; }
};

// Read-only ZIP reader over an in-memory archive: traditional PKWARE decryption with one password,
// Stored and Deflate, CRC-32 check, Zip64, names matched without regard to ASCII case.
class TAbZipKit {
public:
    TAbZipKit();
    ~TAbZipKit();
    TAbZipKit(const TAbZipKit&) = delete;
    TAbZipKit& operator=(const TAbZipKit&) = delete;

    void SetPassword(std::string password);
    // Loads the archive at once (the whole buffer, trailing bytes after the end record allowed).
    // Throws EAbZipInvalid / EAbZipBadSpanStream. An empty buffer is an empty, ready archive.
    void LoadFromMemory(std::string archiveBytes);
    bool IsOpen() const;

    // Index of the last central-directory entry whose name matches, or -1.
    int FindFile(std::string_view fileName) const;
    // Appends the entry's plain bytes to `out`. Never throws for a missing or unreadable entry;
    // throws EAbNoArchive when nothing was loaded. A failed entry leaves `out` as it was, so a
    // damaged file is never passed on as if it were whole.
    void ExtractToStream(std::string_view fileName, std::string& out) const;
    // Same, and tells why an entry failed: `out` gets the bytes only when the status is Ok.
    TAbExtractStatus TryExtract(std::string_view fileName, std::string& out) const;
    // Hands the entry's plain bytes to `sink` as they are produced, in blocks, with no copy of the
    // whole entry on the way. On a failure the sink has had the bytes produced before it (for a
    // CRC mismatch, all of them); SinkFailed when the sink stopped the extraction.
    TAbExtractStatus TryExtractTo(std::string_view fileName, const TAbSink& sink) const;
    static const char* StatusMessage(TAbExtractStatus status);

    int Count() const;
    const TAbZipItem& Item(int index) const;  // central-directory order

private:
    struct TImpl;
    TImpl* FImpl;
};

// The fixed password every packaged archive is encrypted with.
extern const char* const ZORV_ARCHIVE_PASSWORD;

}  // namespace zorv
