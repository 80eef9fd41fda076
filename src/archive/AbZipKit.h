#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
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
// ReadFailed: the archive's bytes could not be read (its file was cut short or is gone).
enum class TAbExtractStatus {
    Ok,
    NotFound,
    WrongPassword,
    CrcMismatch,
    UnsupportedMethod,
    DamagedData,
    SinkFailed,
    ReadFailed
};

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

class TAbEntryReader;
class IByteSource;

// Read-only ZIP reader over an archive read by position (in memory, or read in place from a
// file): traditional PKWARE decryption with one password,
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
    // Same, on bytes read in place where they lie (a file region); the reader owns the source.
    // Only the tail and the central directory are read here, whatever the archive's size.
    void LoadFromSource(std::unique_ptr<const IByteSource> source);
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
    // Hands `length` plain bytes of the entry from `offset` on (fewer where the entry ends first)
    // to `sink`. A stored entry is read only around the part asked for: an encrypted one resumes
    // the cipher from the nearest state kept every 64 KiB of the entry, kept as reads pass by. A
    // deflated entry is inflated from its start. The CRC is checked only when the part is the
    // whole entry. Safe to call from several threads at once.
    TAbExtractStatus TryExtractRange(std::string_view fileName, uint64_t offset, uint64_t length,
                                     const TAbSink& sink) const;
    // A reader that produces part of an entry on demand, for answers read as the consumer asks;
    // null with the reason in `status` when the entry is missing, unreadable or of a method this
    // reader does not know. The reader borrows this archive, which must outlive it.
    std::unique_ptr<TAbEntryReader> OpenEntry(std::string_view fileName, uint64_t offset, uint64_t length,
                                              TAbExtractStatus& status) const;
    // True for the methods OpenEntry reads (stored and deflated).
    static bool CanOpenEntry(const TAbZipItem& item);
    static const char* StatusMessage(TAbExtractStatus status);

    int Count() const;
    const TAbZipItem& Item(int index) const;  // central-directory order

private:
    friend class TAbEntryReader;
    struct TImpl;
    // Shared with every entry reader handed out, so a reader can outlive this object; loading
    // another archive makes a new one and leaves the readers with what they read from.
    std::shared_ptr<TImpl> FImpl;
};

// Pulls the plain bytes of part of an entry, decrypting (and inflating) as it goes, one block at
// a time whatever the entry's size. A stored entry is read only from where the part starts; a
// deflated one is inflated from its start, the bytes before the part passed over. When the part
// is the whole entry (for a deflated one, when it runs to the entry's end) the CRC is checked: a
// mismatch fails the read that would hand over the last bytes, so a damaged entry never reaches
// its end as if it were whole. One reader serves one consumer; several readers may read at once.
class TAbEntryReader {
public:
    ~TAbEntryReader();
    TAbEntryReader(const TAbEntryReader&) = delete;
    TAbEntryReader& operator=(const TAbEntryReader&) = delete;

    uint64_t Length() const { return FEnd - FBegin; }
    // Up to `size` bytes into `buffer`: how many (0 at the end), with `status` Ok, or 0 with the
    // reason the part cannot be read any further.
    std::size_t Read(char* buffer, std::size_t size, TAbExtractStatus& status);
    // Where the next Read starts, counted from the start of the part.
    uint64_t Position() const;
    // Moves to `position` (from the start of the part, at most Length()). A stored entry's cipher
    // resumes from the nearest kept state, and its CRC is checked only by a reader that reads the
    // whole entry in order, so a move anywhere but to the start ends that check. A deflated entry
    // inflates again from its start when moved back. False when the archive cannot be read there.
    bool Seek(uint64_t position);

private:
    friend class TAbZipKit;
    struct TState;
    struct TInflation;
    TAbEntryReader(std::shared_ptr<const TAbZipKit::TImpl> archive, int32_t index, uint64_t begin, uint64_t end);
    std::size_t ReadStored(char* buffer, std::size_t size, TAbExtractStatus& status);
    std::size_t ReadInflated(char* buffer, std::size_t size, TAbExtractStatus& status);
    TAbExtractStatus InflateNextBlock();

    std::shared_ptr<const TAbZipKit::TImpl> FArchiveHold;  // kept alive for as long as the reader is
    const TAbZipKit::TImpl& FArchive;
    int32_t FIndex;
    uint64_t FBegin;
    uint64_t FEnd;
    std::unique_ptr<TState> FState;
};

// The fixed password every packaged archive is encrypted with.
extern const char* const ZORV_ARCHIVE_PASSWORD;

}  // namespace zorv
