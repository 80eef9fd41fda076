#include "archive/AbZipKit.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "archive/CheckpointIndex.h"
#include "archive/PkwareCipher.h"
#include "archive/ZipNames.h"
#include "shared/ByteSource.h"
#include "shared/FailureSink.h"

namespace zorv {

const char* const ZORV_ARCHIVE_PASSWORD = "t4wq8zvc1mhy7kxa2gpd6ufe0snjr5lbo3iq";

EAbZipInvalid::EAbZipInvalid() : EAbException("Invalid file - not a PKZip file") {}
EAbZipBadSpanStream::EAbZipBadSpanStream() : EAbException("Spanned archives must be opened as file streams") {}
EAbNoArchive::EAbNoArchive() : EAbException("Archive does not exist - Filename is blank") {}

namespace {

constexpr uint32_t EndRecordSignature = 0x06054b50;
constexpr uint32_t Zip64EndRecordSignature = 0x06064b50;
constexpr uint32_t Zip64LocatorSignature = 0x07064b50;
constexpr uint32_t CentralHeaderSignature = 0x02014b50;
constexpr uint32_t LocalHeaderSignature = 0x04034b50;
constexpr std::size_t EndRecordSize = 22;
constexpr std::size_t Zip64EndRecordSize = 56;
constexpr std::size_t Zip64LocatorSize = 20;
constexpr std::size_t CentralHeaderSize = 46;
constexpr std::size_t LocalHeaderSize = 30;
constexpr uint16_t Zip64ExtraId = 0x0001;
constexpr uint16_t EncryptedFlag = 0x0001;
constexpr uint16_t DataDescriptorFlag = 0x0008;
constexpr uint16_t MethodStored = 0;
constexpr uint16_t MethodDeflate = 8;
constexpr unsigned HighestSupportedVersion = 63;
// Work in blocks that stay in the processor's cache between decrypting and checksumming.
constexpr std::size_t BlockSize = 64 * 1024;
// How far apart the kept cipher states of an encrypted stored entry lie; a range read decrypts at
// most this many bytes it does not serve.
constexpr uint64_t CipherCheckpointStep = BlockSize;
static_assert(CipherCheckpointStep == TCheckpointIndex::Step, "the index keeps the states the reader keeps");
// Deflate cannot expand its input by more than about 1032 to 1; a declared size beyond that is
// a lie, and trusting it would let a few bytes of archive claim gigabytes of memory.
constexpr uint64_t MaxDeflateRatio = 1032;

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Le64(const unsigned char* p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }

constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return table;
}
constexpr std::array<unsigned char, 256> FoldTable = MakeFoldTable();

uint32_t FoldedHash(std::string_view name) {
    uint32_t h = 2166136261u;
    for (unsigned char c : name) h = (h ^ FoldTable[c]) * 16777619u;
    return h;
}

bool FoldedEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldTable[static_cast<unsigned char>(a[i])] != FoldTable[static_cast<unsigned char>(b[i])]) return false;
    return true;
}

uint32_t Crc32(uint32_t crc, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const uInt chunk = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
        crc = static_cast<uint32_t>(crc32(crc, data, chunk));
        data += chunk;
        size -= chunk;
    }
    return crc;
}

struct TEndRecord {
    uint32_t diskNumber = 0;
    uint64_t totalEntries = 0;
    uint64_t directorySize = 0;
    uint64_t directoryOffset = 0;
    uint64_t directoryEnd = 0;  // where the directory must end: at the Zip64 end record or this record
};

// The end records whose declared comment fits in the bytes after them, from the end of the source
// backwards, as other readers search for them: the last one that can stand for an archive is the
// archive's, so trailing data such as a signature table is passed over and an archive held in
// another's comment is the one read. The tail is read first; the rest of the source is read
// window by window only while the candidates found so far cannot stand for an archive.
class TEndRecordScan {
public:
    explicit TEndRecordScan(const IByteSource& source) : FSource(source) {
        if (source.Size() < EndRecordSize) return;
        FScanEnd = source.Size() - EndRecordSize + 1;  // positions below this may hold a record
    }

    // The next candidate's position, or nothing when none is left.
    std::optional<uint64_t> Next() {
        while (FNext == FQueue.size() && FScanEnd > 0) {
            const uint64_t window = FQueue.empty() && FNext == 0 ? TailWindow : WindowSize;
            const uint64_t low = FScanEnd > window ? FScanEnd - window : 0;
            ScanWindow(low, FScanEnd);
            FScanEnd = low;
        }
        if (FNext == FQueue.size()) return std::nullopt;
        return FQueue[FNext++];
    }

private:
    static constexpr uint64_t TailWindow = 0xFFFF + 1;  // a comment is at most 65,535 bytes
    static constexpr uint64_t WindowSize = 1 << 20;

    // Candidates at positions [low, high), from the highest down.
    void ScanWindow(uint64_t low, uint64_t high) {
        const uint64_t readEnd = std::min(FSource.Size(), high - 1 + EndRecordSize);
        std::vector<unsigned char> window(static_cast<std::size_t>(readEnd - low));
        if (!FSource.ReadAt(low, window.data(), window.size())) return;
        const unsigned char* p = window.data();
        for (uint64_t pos = high; pos-- > low;) {
            const std::size_t at = static_cast<std::size_t>(pos - low);
            if (p[at] != 0x50 || Le32(p + at) != EndRecordSignature) continue;
            const uint64_t following = FSource.Size() - pos - EndRecordSize;
            if (following >= Le16(p + at + 20)) FQueue.push_back(pos);
        }
    }

    const IByteSource& FSource;
    std::vector<uint64_t> FQueue;
    std::size_t FNext = 0;
    uint64_t FScanEnd = 0;  // positions below this are still to be scanned
};

// The Zip64 locator, which lies right before the end record when there is one. Searching further
// back would take the bytes of a name or of an entry's data for it.
std::optional<uint64_t> FindZip64Locator(const IByteSource& source, uint64_t endRecordPos) {
    if (endRecordPos < Zip64LocatorSize) return std::nullopt;
    const uint64_t pos = endRecordPos - Zip64LocatorSize;
    std::array<unsigned char, 4> signature{};
    if (!source.ReadAt(pos, signature.data(), signature.size()) || Le32(signature.data()) != Zip64LocatorSignature)
        return std::nullopt;
    return pos;
}

bool HasSignatureAt(const IByteSource& source, uint64_t pos, uint32_t signature) {
    std::array<unsigned char, 4> bytes{};
    return pos <= source.Size() && source.Size() - pos >= bytes.size() &&
           source.ReadAt(pos, bytes.data(), bytes.size()) && Le32(bytes.data()) == signature;
}

// Whether the record at `pos` can stand for an archive: its directory fits before it.
bool CanStandForArchive(const IByteSource& source, uint64_t pos) {
    std::array<unsigned char, EndRecordSize> raw{};
    if (!source.ReadAt(pos, raw.data(), raw.size())) return false;
    const uint32_t directorySize = Le32(raw.data() + 12);
    return directorySize == 0xFFFFFFFFu || directorySize <= pos;
}

TEndRecord ReadEndRecord(const IByteSource& source, uint64_t pos) {
    std::array<unsigned char, EndRecordSize> raw{};
    if (!source.ReadAt(pos, raw.data(), raw.size())) throw EAbZipInvalid();
    const unsigned char* p = raw.data();
    TEndRecord record;
    const uint16_t diskNumber = Le16(p + 4);
    const uint16_t directoryDisk = Le16(p + 6);
    const uint16_t entriesOnDisk = Le16(p + 8);
    const uint16_t totalEntries = Le16(p + 10);
    const uint32_t directorySize = Le32(p + 12);
    const uint32_t directoryOffset = Le32(p + 16);
    record = {diskNumber, totalEntries, directorySize, directoryOffset, pos};
    const bool announcesZip64 = diskNumber == 0xFFFF || directoryDisk == 0xFFFF || entriesOnDisk == 0xFFFF ||
                                totalEntries == 0xFFFF || directorySize == 0xFFFFFFFFu ||
                                directoryOffset == 0xFFFFFFFFu;
    if (!announcesZip64) return record;

    const std::optional<uint64_t> locator = FindZip64Locator(source, pos);
    if (!locator) throw EAbZipInvalid();
    std::array<unsigned char, Zip64LocatorSize> locatorBytes{};
    if (!source.ReadAt(*locator, locatorBytes.data(), locatorBytes.size())) throw EAbZipInvalid();
    // The Zip64 end record where the locator says, or right before the locator when bytes put in
    // front of the archive moved it (as other readers look for it).
    uint64_t zip64Pos = Le64(locatorBytes.data() + 8);
    if (!HasSignatureAt(source, zip64Pos, Zip64EndRecordSignature) && *locator >= Zip64EndRecordSize)
        zip64Pos = *locator - Zip64EndRecordSize;
    std::array<unsigned char, Zip64EndRecordSize> z{};
    if (!source.ReadAt(zip64Pos, z.data(), z.size())) throw EAbZipInvalid();
    if (Le32(z.data()) != Zip64EndRecordSignature) throw EAbZipInvalid();
    record.directoryEnd = zip64Pos;
    if (diskNumber == 0xFFFF) record.diskNumber = Le32(z.data() + 16);
    if (totalEntries == 0xFFFF) record.totalEntries = Le64(z.data() + 32);
    if (directorySize == 0xFFFFFFFFu) record.directorySize = Le64(z.data() + 40);
    if (directoryOffset == 0xFFFFFFFFu) record.directoryOffset = Le64(z.data() + 48);
    return record;
}

// Reads a source through one buffer that it moves forward as records are asked for: the central
// directory is read in a few large reads instead of one per record.
class TSourceWindow {
public:
    explicit TSourceWindow(const IByteSource& source) : FSource(source) {}

    // The `size` bytes at `pos`, valid until the next call; null where the source ends first.
    const unsigned char* Get(uint64_t pos, std::size_t size) {
        if (pos > FSource.Size() || FSource.Size() - pos < size) return nullptr;
        if (pos < FBase || pos - FBase > FBuffer.size() || FBuffer.size() - (pos - FBase) < size) {
            const uint64_t length = std::min<uint64_t>(FSource.Size() - pos, std::max<uint64_t>(size, ReadSize));
            FBuffer.resize(static_cast<std::size_t>(length));
            FBase = pos;
            if (!FSource.ReadAt(pos, FBuffer.data(), FBuffer.size())) {
                FBuffer.clear();
                return nullptr;
            }
        }
        return FBuffer.data() + (pos - FBase);
    }

private:
    static constexpr uint64_t ReadSize = 1 << 20;
    const IByteSource& FSource;
    std::vector<unsigned char> FBuffer;
    uint64_t FBase = 0;
};

// Replaces each 32-bit field that holds all ones by its value from the Zip64 extra field.
void ApplyZip64Extra(std::string_view extra, uint32_t rawUncompressed, uint32_t rawCompressed, uint32_t rawOffset,
                     TAbZipItem& item) {
    bool found = false;
    const std::string_view data = TZipNames::FindExtraBlock(extra, Zip64ExtraId, found);
    if (!found) return;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    std::size_t pos = 0;
    auto next64 = [&](uint64_t& field) {
        if (data.size() - pos < 8) return;
        field = Le64(p + pos);
        pos += 8;
    };
    if (rawUncompressed == 0xFFFFFFFFu) next64(item.uncompressedSize);
    if (rawCompressed == 0xFFFFFFFFu) next64(item.compressedSize);
    if (rawOffset == 0xFFFFFFFFu) next64(item.localHeaderOffset);
    if (item.diskNumberStart == 0xFFFF && data.size() - pos >= 4) item.diskNumberStart = Le32(p + pos);
}

}  // namespace

struct TAbZipKit::TImpl {
    std::string password;
    std::unique_ptr<const IByteSource> source;
    bool open = false;
    std::vector<TAbZipItem> items;
    // Hash index over ASCII-folded names: bucket heads and per-item links. Items are put at the
    // head of their chain in directory order, so a walk meets later duplicates first.
    std::vector<int32_t> bucketHeads;
    std::vector<int32_t> nextInBucket;
    // Per encrypted stored entry, the cipher's state before each 64 KiB of its data, filled in as
    // reads pass by and from the checkpoint index once checked: keys[k] is the state at data
    // offset k * CipherCheckpointStep when known[k].
    struct TKeptStates {
        std::vector<TPkwareCipher::TKeys> keys;
        std::vector<char> known;
    };
    mutable std::mutex checkpointLock;
    mutable std::unordered_map<int32_t, TKeptStates> checkpoints;
    // The archive's checkpoint index, read when a range first needs it; a record that does not
    // match its entry is dropped.
    int32_t indexEntry = -1;
    mutable std::mutex indexLock;
    mutable bool indexRead = false;
    mutable std::unordered_map<int32_t, TCheckpointIndex::TRecord> indexed;

    // Where an entry's data lies in the archive, the encryption header passed, and the cipher
    // positioned after that header when the entry is encrypted.
    struct TEntryData {
        uint64_t offset = 0;
        uint64_t size = 0;
        std::optional<TPkwareCipher> cipher;
    };

    uint64_t Size() const { return source ? source->Size() : 0; }
    // `size` bytes of an entry's data from `position` on, as the archive holds them.
    bool ReadData(const TEntryData& entry, uint64_t position, unsigned char* target, std::size_t size) const {
        return position <= entry.size && entry.size - position >= size &&
               source->ReadAt(entry.offset + position, target, size);
    }

    void Clear() {
        open = false;
        source.reset();
        items.clear();
        bucketHeads.clear();
        nextInBucket.clear();
        indexEntry = -1;
        std::lock_guard<std::mutex> lock(checkpointLock);
        checkpoints.clear();
        std::lock_guard<std::mutex> indexGuard(indexLock);
        indexRead = false;
        indexed.clear();
    }

    void ReadCentralDirectory(const TEndRecord& end);
    bool ReadRecordsFilling(uint64_t start, uint64_t end, uint64_t shift);
    void Open();
    void BuildIndex();
    int Find(std::string_view name) const;
    TAbExtractStatus Prepare(const TAbZipItem& item, TEntryData& entry) const;
    TAbExtractStatus Extract(int32_t index, const TAbSink& sink) const;
    TAbExtractStatus ExtractRange(int32_t index, uint64_t offset, uint64_t length, const TAbSink& sink) const;
    TAbExtractStatus Produce(int32_t index, TEntryData& entry, const TAbSink& sink) const;
    TAbExtractStatus CopyStored(int32_t index, TEntryData& entry, const TAbSink& sink) const;
    TAbExtractStatus CopyStoredPart(int32_t index, const TEntryData& entry, uint64_t offset, uint64_t length,
                                    const TAbSink& sink) const;
    void KeepCheckpoint(int32_t index, uint64_t offset, const TPkwareCipher& cipher) const;
    std::optional<TPkwareCipher> CipherAt(int32_t index, const TEntryData& entry, uint64_t offset) const;
    std::optional<std::size_t> NearestKept(int32_t index, std::size_t step) const;
    void ReadCheckpointIndex() const;
    std::optional<TPkwareCipher::TKeys> IndexedState(int32_t index, const TEntryData& entry, std::size_t step) const;
    void DropIndexed(int32_t index, const std::string& why) const;
    TAbExtractStatus Inflate(const TAbZipItem& item, TEntryData& entry, const TAbSink& sink) const;
};

namespace {

// One central-directory record at `pos`, or nothing when none fits there.
// `shift` is added to its local header offset (bytes put in front of the archive, or cut from it).
std::optional<TAbZipItem> ReadCentralRecord(TSourceWindow& window, uint64_t pos, uint64_t shift,
                                            std::size_t& recordSize) {
    const unsigned char* h = window.Get(pos, CentralHeaderSize);
    if (!h || Le32(h) != CentralHeaderSignature) return std::nullopt;
    const std::size_t nameLength = Le16(h + 28);
    const std::size_t extraLength = Le16(h + 30);
    const std::size_t commentLength = Le16(h + 32);
    recordSize = CentralHeaderSize + nameLength + extraLength + commentLength;
    h = window.Get(pos, recordSize);
    if (!h) return std::nullopt;
    const std::string_view rawName(reinterpret_cast<const char*>(h) + CentralHeaderSize, nameLength);
    const std::string_view extra(reinterpret_cast<const char*>(h) + CentralHeaderSize + nameLength, extraLength);

    TAbZipItem item;
    item.versionMadeBy = Le16(h + 4);
    item.versionNeededToExtract = Le16(h + 6);
    item.generalPurposeFlags = Le16(h + 8);
    item.compressionMethod = Le16(h + 10);
    item.lastModTime = Le16(h + 12);
    item.lastModDate = Le16(h + 14);
    item.crc32 = Le32(h + 16);
    const uint32_t rawCompressed = Le32(h + 20);
    const uint32_t rawUncompressed = Le32(h + 24);
    item.diskNumberStart = Le16(h + 34);
    item.externalAttributes = Le32(h + 38);
    const uint32_t rawOffset = Le32(h + 42);
    item.compressedSize = rawCompressed;
    item.uncompressedSize = rawUncompressed;
    item.localHeaderOffset = rawOffset;
    ApplyZip64Extra(extra, rawUncompressed, rawCompressed, rawOffset, item);
    item.localHeaderOffset += shift;  // modulo 2^64: an offset moved before the source is past its end
    item.fileName = TZipNames::DecodeName(rawName, extra, item.generalPurposeFlags, item.versionMadeBy);
    return item;
}

}  // namespace

// The directory is found right before the record that ends it, where its declared size puts it,
// or else at its declared offset. When the two differ, every offset is moved by the same amount, as other readers do for
// an archive with bytes put in front of it (a self-extracting one), or whose offsets count from
// the start of a file of which only the archive part is read. Every record must lie inside the
// directory. It is walked by its declared size; the entry count is trusted only when the records
// do not fill that size exactly: some tools let the 16-bit count wrap past 65,535 entries without
// writing Zip64 records, and then the size is what is right.
void TAbZipKit::TImpl::ReadCentralDirectory(const TEndRecord& end) {
    uint64_t start = end.directoryOffset;
    if (end.totalEntries != 0 && end.directorySize <= end.directoryEnd &&
        HasSignatureAt(*source, end.directoryEnd - end.directorySize, CentralHeaderSignature))
        start = end.directoryEnd - end.directorySize;
    if (start > Size()) throw EAbZipInvalid();
    const uint64_t shift = start - end.directoryOffset;
    if (end.directorySize <= Size() - start && ReadRecordsFilling(start, start + end.directorySize, shift)) return;
    items.clear();
    // The declared size, where the source holds it, bounds the records; else the end record does.
    const uint64_t bound = end.directorySize <= Size() - start ? start + end.directorySize : end.directoryEnd;
    // The declared count is untrusted: never reserve more records than the bytes can hold.
    items.reserve(static_cast<std::size_t>(std::min<uint64_t>(end.totalEntries, (Size() - start) / CentralHeaderSize)));
    TSourceWindow window(*source);
    uint64_t pos = start;
    for (uint64_t i = 0; i < end.totalEntries; ++i) {
        std::size_t recordSize = 0;
        std::optional<TAbZipItem> item = ReadCentralRecord(window, pos, shift, recordSize);
        if (!item || pos > bound || recordSize > bound - pos) throw EAbZipInvalid();
        items.push_back(std::move(*item));
        pos += recordSize;
    }
}

bool TAbZipKit::TImpl::ReadRecordsFilling(uint64_t start, uint64_t end, uint64_t shift) {
    items.clear();
    TSourceWindow window(*source);
    for (uint64_t pos = start; pos < end;) {
        std::size_t recordSize = 0;
        std::optional<TAbZipItem> item = ReadCentralRecord(window, pos, shift, recordSize);
        if (!item || recordSize > end - pos) return false;
        items.push_back(std::move(*item));
        pos += recordSize;
    }
    return true;
}

void TAbZipKit::TImpl::BuildIndex() {
    std::size_t bucketCount = 1024;
    while (bucketCount < items.size() * 2) bucketCount *= 2;
    bucketHeads.assign(bucketCount, -1);
    nextInBucket.assign(items.size(), -1);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::size_t bucket = FoldedHash(items[i].fileName) & (bucketCount - 1);
        nextInBucket[i] = bucketHeads[bucket];
        bucketHeads[bucket] = static_cast<int32_t>(i);
    }
}

int TAbZipKit::TImpl::Find(std::string_view name) const {
    if (!open || items.empty()) return -1;
    const std::size_t bucket = FoldedHash(name) & (bucketHeads.size() - 1);
    for (int32_t i = bucketHeads[bucket]; i >= 0; i = nextInBucket[i])
        if (FoldedEqual(items[i].fileName, name)) return i;
    return -1;
}

TAbExtractStatus TAbZipKit::TImpl::Prepare(const TAbZipItem& item, TEntryData& entry) const {
    if ((item.versionNeededToExtract & 0xFF) > HighestSupportedVersion) return TAbExtractStatus::UnsupportedMethod;
    const uint64_t local = item.localHeaderOffset;
    std::array<unsigned char, LocalHeaderSize> header{};
    if (local > Size() || Size() - local < LocalHeaderSize) return TAbExtractStatus::DamagedData;
    if (!source->ReadAt(local, header.data(), header.size())) return TAbExtractStatus::ReadFailed;
    if (Le32(header.data()) != LocalHeaderSignature) return TAbExtractStatus::DamagedData;
    const uint16_t localFlags = Le16(header.data() + 6);
    const uint16_t localModTime = Le16(header.data() + 10);
    const uint64_t dataStart = local + LocalHeaderSize + Le16(header.data() + 26) + Le16(header.data() + 28);
    if (dataStart > Size() || Size() - dataStart < item.compressedSize) return TAbExtractStatus::DamagedData;

    entry.offset = dataStart;
    entry.size = item.compressedSize;
    if (item.generalPurposeFlags & EncryptedFlag) {
        if (password.empty()) return TAbExtractStatus::WrongPassword;
        if (entry.size < TPkwareCipher::HeaderSize) return TAbExtractStatus::DamagedData;
        std::array<unsigned char, TPkwareCipher::HeaderSize> encryptionHeader;
        if (!ReadData(entry, 0, encryptionHeader.data(), encryptionHeader.size())) return TAbExtractStatus::ReadFailed;
        entry.cipher.emplace(password);
        entry.cipher->Decrypt(encryptionHeader.data(), encryptionHeader.size());
        // With a data descriptor the CRC is not known when the header is written, so the check
        // byte is the high byte of the modification time instead.
        const uint32_t checkValue =
            (localFlags & DataDescriptorFlag) ? static_cast<uint32_t>(localModTime) << 16 : item.crc32;
        if (encryptionHeader.back() != (checkValue >> 24)) return TAbExtractStatus::WrongPassword;
        entry.offset += TPkwareCipher::HeaderSize;
        entry.size -= TPkwareCipher::HeaderSize;
    }
    return TAbExtractStatus::Ok;
}

TAbExtractStatus TAbZipKit::TImpl::Extract(int32_t index, const TAbSink& sink) const {
    const TAbZipItem& item = items[static_cast<std::size_t>(index)];
    TEntryData entry;
    if (const TAbExtractStatus status = Prepare(item, entry); status != TAbExtractStatus::Ok) return status;
    if (item.uncompressedSize == 0) return TAbExtractStatus::Ok;
    return Produce(index, entry, sink);
}

TAbExtractStatus TAbZipKit::TImpl::ExtractRange(int32_t index, uint64_t offset, uint64_t length,
                                                const TAbSink& sink) const {
    const TAbZipItem& item = items[static_cast<std::size_t>(index)];
    if (offset == 0 && length >= item.uncompressedSize) return Extract(index, sink);
    TEntryData entry;
    if (const TAbExtractStatus status = Prepare(item, entry); status != TAbExtractStatus::Ok) return status;
    if (offset >= item.uncompressedSize || length == 0) return TAbExtractStatus::Ok;
    length = std::min(length, item.uncompressedSize - offset);
    if (item.compressionMethod == MethodStored) return CopyStoredPart(index, entry, offset, length, sink);
    if (item.compressionMethod != MethodDeflate) return TAbExtractStatus::UnsupportedMethod;

    // Inflate from the start, pass on only the part, and stop once it is passed on.
    uint64_t position = 0;
    bool complete = false;
    const TAbSink window = [&](const char* data, std::size_t size) {
        const uint64_t blockEnd = position + size;
        if (blockEnd > offset) {
            const uint64_t from = std::max(offset, position);
            const uint64_t to = std::min(blockEnd, offset + length);
            if (!sink(data + (from - position), static_cast<std::size_t>(to - from))) return false;
            complete = to == offset + length;
        }
        position = blockEnd;
        return !complete;
    };
    const TAbExtractStatus status = Produce(index, entry, window);
    if (complete && (status == TAbExtractStatus::SinkFailed || status == TAbExtractStatus::Ok))
        return TAbExtractStatus::Ok;
    return status;
}

void TAbZipKit::TImpl::KeepCheckpoint(int32_t index, uint64_t offset, const TPkwareCipher& cipher) const {
    if (offset % CipherCheckpointStep != 0) return;
    const std::size_t step = static_cast<std::size_t>(offset / CipherCheckpointStep);
    std::lock_guard<std::mutex> lock(checkpointLock);
    TKeptStates& kept = checkpoints[index];
    if (kept.known.size() <= step) {
        kept.keys.resize(step + 1);
        kept.known.resize(step + 1);
    }
    kept.keys[step] = cipher.Keys();
    kept.known[step] = 1;
}

// The nearest step at or before `step` whose state is kept.
std::optional<std::size_t> TAbZipKit::TImpl::NearestKept(int32_t index, std::size_t step) const {
    std::lock_guard<std::mutex> lock(checkpointLock);
    const TKeptStates& kept = checkpoints[index];
    for (std::size_t k = std::min(step + 1, kept.known.size()); k-- > 0;)
        if (kept.known[k]) return k;
    return std::nullopt;
}

// The cipher positioned at data offset `offset`: resumed from the nearest kept state at or before
// it, or from the checkpoint index's state for that step once it is checked, then run over the
// bytes in between, keeping the states it passes.
std::optional<TPkwareCipher> TAbZipKit::TImpl::CipherAt(int32_t index, const TEntryData& entry, uint64_t offset) const {
    KeepCheckpoint(index, 0, *entry.cipher);
    const std::size_t target = static_cast<std::size_t>(offset / CipherCheckpointStep);
    std::size_t nearest = NearestKept(index, target).value_or(0);
    if (nearest < target) {
        if (const std::optional<TPkwareCipher::TKeys> state = IndexedState(index, entry, target)) nearest = target;
    }
    std::optional<TPkwareCipher> cipher;
    {
        std::lock_guard<std::mutex> lock(checkpointLock);
        cipher.emplace(checkpoints[index].keys[nearest]);
    }
    uint64_t position = static_cast<uint64_t>(nearest) * CipherCheckpointStep;
    std::vector<unsigned char> scratch(BlockSize);
    while (position < offset) {
        const std::size_t block = static_cast<std::size_t>(std::min<uint64_t>(CipherCheckpointStep, offset - position));
        if (!ReadData(entry, position, scratch.data(), block)) return std::nullopt;
        cipher->Decrypt(scratch.data(), block);
        position += block;
        KeepCheckpoint(index, position, *cipher);
    }
    return cipher;
}

// Reads the checkpoint index entry once, whole (so its own CRC is checked), and keeps the records
// that match their entry: an encrypted stored entry of the same size and CRC, whose blocks' CRCs
// combine into the entry's. A record is only a claim until each state is checked against the data.
void TAbZipKit::TImpl::ReadCheckpointIndex() const {
    if (indexRead) return;
    indexRead = true;
    if (indexEntry < 0) return;
    const TAbZipItem& item = items[static_cast<std::size_t>(indexEntry)];
    if (item.uncompressedSize > TCheckpointIndex::MaxSize) {
        TFailureSink::Report("the archive's checkpoint index is too large; it is ignored");
        return;
    }
    std::string bytes;
    const TAbExtractStatus status = Extract(indexEntry, [&bytes](const char* data, std::size_t size) {
        bytes.append(data, size);
        return bytes.size() <= TCheckpointIndex::MaxSize;
    });
    std::optional<std::vector<TCheckpointIndex::TRecord>> records;
    if (status == TAbExtractStatus::Ok) records = TCheckpointIndex::Parse(bytes);
    if (!records) {
        TFailureSink::Report("the archive's checkpoint index cannot be read; it is ignored");
        return;
    }
    std::unordered_map<uint64_t, int32_t> byOffset;
    for (std::size_t i = 0; i < items.size(); ++i) byOffset[items[i].localHeaderOffset] = static_cast<int32_t>(i);
    for (TCheckpointIndex::TRecord& record : *records) {
        const auto found = byOffset.find(record.localHeaderOffset);
        bool matches = found != byOffset.end();
        if (matches) {
            const TAbZipItem& entry = items[static_cast<std::size_t>(found->second)];
            uint32_t combined = 0;
            for (std::size_t b = 0; b < record.blockCrcs.size(); ++b) {
                const uint64_t length =
                    std::min<uint64_t>(CipherCheckpointStep, record.size - b * CipherCheckpointStep);
                combined =
                    static_cast<uint32_t>(crc32_combine(combined, record.blockCrcs[b], static_cast<z_off_t>(length)));
            }
            matches = entry.IsEncrypted() && entry.compressionMethod == MethodStored &&
                      entry.uncompressedSize == record.size && entry.crc32 == record.crc32 && combined == record.crc32;
        }
        if (!matches) {
            TFailureSink::Report("a record of the archive's checkpoint index matches no entry; it is ignored");
            continue;
        }
        indexed[found->second] = std::move(record);
    }
}

void TAbZipKit::TImpl::DropIndexed(int32_t index, const std::string& why) const {
    TFailureSink::Report("the checkpoint index does not match \"" + items[static_cast<std::size_t>(index)].fileName +
                         "\" (" + why + "); it is ignored for that entry");
    indexed.erase(index);
}

// The state at step `step` of the entry from the checkpoint index, checked before it is used:
// the entry's first state must be the one its encryption header leads to, and the step's block,
// decrypted from the indexed state, must have the indexed CRC-32 and end in the next indexed
// state. A wrong state decrypts to bytes that pass both checks by chance only (about 2^-32 for
// the CRC alone), so no byte of a block is handed over on an unchecked claim. A state that fails
// drops the entry's record; the cipher then runs from the nearest state the data itself gave.
std::optional<TPkwareCipher::TKeys> TAbZipKit::TImpl::IndexedState(int32_t index, const TEntryData& entry,
                                                                   std::size_t step) const {
    TPkwareCipher::TKeys state{}, next{};
    uint32_t blockCrc = 0;
    {
        std::lock_guard<std::mutex> lock(indexLock);
        ReadCheckpointIndex();
        const auto found = indexed.find(index);
        if (found == indexed.end() || step >= found->second.blockCrcs.size()) return std::nullopt;
        const TCheckpointIndex::TRecord& record = found->second;
        const TPkwareCipher::TKeys first = entry.cipher->Keys();
        if (record.keys[0].key0 != first.key0 || record.keys[0].key1 != first.key1 ||
            record.keys[0].key2 != first.key2) {
            DropIndexed(index, "its first state is not the entry's");
            return std::nullopt;
        }
        state = record.keys[step];
        next = record.keys[step + 1];
        blockCrc = record.blockCrcs[step];
    }
    const TAbZipItem& item = items[static_cast<std::size_t>(index)];
    const uint64_t position = static_cast<uint64_t>(step) * CipherCheckpointStep;
    const std::size_t length =
        static_cast<std::size_t>(std::min<uint64_t>(BlockSize, item.uncompressedSize - position));
    std::vector<unsigned char> block(length);
    if (!ReadData(entry, position, block.data(), length)) return std::nullopt;
    TPkwareCipher cipher(state);
    cipher.Decrypt(block.data(), length);
    const TPkwareCipher::TKeys reached = cipher.Keys();
    if (Crc32(0, block.data(), length) != blockCrc || reached.key0 != next.key0 || reached.key1 != next.key1 ||
        reached.key2 != next.key2) {
        std::lock_guard<std::mutex> lock(indexLock);
        DropIndexed(index, "a checkpoint does not decrypt its block");
        return std::nullopt;
    }
    KeepCheckpoint(index, position, TPkwareCipher(state));
    if (length == BlockSize) KeepCheckpoint(index, position + CipherCheckpointStep, cipher);
    return state;
}

TAbExtractStatus TAbZipKit::TImpl::CopyStoredPart(int32_t index, const TEntryData& entry, uint64_t offset,
                                                  uint64_t length, const TAbSink& sink) const {
    const TAbZipItem& item = items[static_cast<std::size_t>(index)];
    if (entry.size < item.uncompressedSize) return TAbExtractStatus::DamagedData;
    std::optional<TPkwareCipher> cipher;
    if (entry.cipher) {
        cipher = CipherAt(index, entry, offset);
        if (!cipher) return TAbExtractStatus::ReadFailed;
    }
    std::vector<unsigned char> buffer(BlockSize);
    for (uint64_t done = 0; done < length;) {
        // Blocks end on checkpoint boundaries, so every state passed can be kept.
        const uint64_t position = offset + done;
        const uint64_t toBoundary = CipherCheckpointStep - position % CipherCheckpointStep;
        const std::size_t block = static_cast<std::size_t>(std::min(toBoundary, length - done));
        if (!ReadData(entry, position, buffer.data(), block)) return TAbExtractStatus::ReadFailed;
        if (cipher) {
            cipher->Decrypt(buffer.data(), block);
            KeepCheckpoint(index, position + block, *cipher);
        }
        if (!sink(reinterpret_cast<const char*>(buffer.data()), block)) return TAbExtractStatus::SinkFailed;
        done += block;
    }
    return TAbExtractStatus::Ok;
}

TAbExtractStatus TAbZipKit::TImpl::Produce(int32_t index, TEntryData& entry, const TAbSink& sink) const {
    const TAbZipItem& item = items[static_cast<std::size_t>(index)];
    if (item.compressionMethod == MethodStored) return CopyStored(index, entry, sink);
    if (item.compressionMethod == MethodDeflate) return Inflate(item, entry, sink);
    return TAbExtractStatus::UnsupportedMethod;
}

// Stored bytes go to the sink through one block, decrypted in place when the entry is encrypted.
TAbExtractStatus TAbZipKit::TImpl::CopyStored(int32_t index, TEntryData& entry, const TAbSink& sink) const {
    static_assert(BlockSize == CipherCheckpointStep, "every block starts at a checkpoint");
    const TAbZipItem& item = items[static_cast<std::size_t>(index)];
    if (entry.size < item.uncompressedSize) return TAbExtractStatus::DamagedData;
    std::optional<TPkwareCipher>& cipher = entry.cipher;
    std::vector<unsigned char> buffer(BlockSize);
    uint32_t crc = 0;
    for (uint64_t done = 0; done < item.uncompressedSize;) {
        const std::size_t block = static_cast<std::size_t>(std::min<uint64_t>(BlockSize, item.uncompressedSize - done));
        if (!ReadData(entry, done, buffer.data(), block)) return TAbExtractStatus::ReadFailed;
        if (cipher) {
            KeepCheckpoint(index, done, *cipher);
            cipher->Decrypt(buffer.data(), block);
        }
        crc = Crc32(crc, buffer.data(), block);
        if (!sink(reinterpret_cast<const char*>(buffer.data()), block)) return TAbExtractStatus::SinkFailed;
        done += block;
    }
    return crc == item.crc32 ? TAbExtractStatus::Ok : TAbExtractStatus::CrcMismatch;
}

namespace {

// Owns a raw-deflate inflater.
class TInflater {
public:
    TInflater() { FReady = inflateInit2(&FStream, -MAX_WBITS) == Z_OK; }
    ~TInflater() {
        if (FReady) inflateEnd(&FStream);
    }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;
    bool Ready() const { return FReady; }
    z_stream& Stream() { return FStream; }
    // Back to the start of a stream, with nothing fed.
    void Reset() {
        inflateReset(&FStream);
        FStream.next_in = nullptr;
        FStream.avail_in = 0;
        FConsumed = 0;
    }
    // Once the inflater has taken all it was given, gives it the next block of the `size` bytes of
    // compressed data, read by `read(position, target, length)` and decrypted where there is a
    // cipher. Running out of data before the stream ends is damage.
    template <typename TRead>
    TAbExtractStatus FeedIfEmpty(uint64_t size, std::optional<TPkwareCipher>& cipher, const TRead& read) {
        if (FStream.avail_in != 0) return TAbExtractStatus::Ok;
        if (FConsumed == size) return TAbExtractStatus::DamagedData;
        const std::size_t block = static_cast<std::size_t>(std::min<uint64_t>(FInput.size(), size - FConsumed));
        if (!read(FConsumed, FInput.data(), block)) return TAbExtractStatus::ReadFailed;
        if (cipher) cipher->Decrypt(FInput.data(), block);
        FStream.next_in = FInput.data();
        FStream.avail_in = static_cast<uInt>(block);
        FConsumed += block;
        return TAbExtractStatus::Ok;
    }

private:
    z_stream FStream{};
    bool FReady = false;
    std::vector<unsigned char> FInput = std::vector<unsigned char>(BlockSize);
    uint64_t FConsumed = 0;  // compressed bytes fed so far
};

}  // namespace

TAbExtractStatus TAbZipKit::TImpl::Inflate(const TAbZipItem& item, TEntryData& entry, const TAbSink& sink) const {
    const uint64_t size = entry.size;
    if (item.uncompressedSize / MaxDeflateRatio > size + 1) return TAbExtractStatus::DamagedData;
    TInflater inflater;
    if (!inflater.Ready()) return TAbExtractStatus::DamagedData;
    z_stream& zs = inflater.Stream();

    const uint64_t expected = item.uncompressedSize;
    std::vector<unsigned char> output(BlockSize);
    uint64_t produced = 0;
    uint32_t crc = 0;
    int result = Z_OK;
    const auto read = [&](uint64_t position, unsigned char* target, std::size_t length) {
        return ReadData(entry, position, target, length);
    };
    while (result != Z_STREAM_END) {
        if (const TAbExtractStatus fed = inflater.FeedIfEmpty(size, entry.cipher, read); fed != TAbExtractStatus::Ok)
            return fed;
        zs.next_out = output.data();
        zs.avail_out = static_cast<uInt>(output.size());
        result = inflate(&zs, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END) return TAbExtractStatus::DamagedData;
        const std::size_t written = output.size() - zs.avail_out;
        // More than the declared size is damage; nothing beyond it reaches the sink.
        if (written > expected - produced) return TAbExtractStatus::DamagedData;
        crc = Crc32(crc, output.data(), written);
        if (written > 0 && !sink(reinterpret_cast<const char*>(output.data()), written)) {
            return TAbExtractStatus::SinkFailed;
        }
        produced += written;
    }
    if (produced != expected) return TAbExtractStatus::DamagedData;
    return crc == item.crc32 ? TAbExtractStatus::Ok : TAbExtractStatus::CrcMismatch;
}

TAbZipKit::TAbZipKit() : FImpl(std::make_shared<TImpl>()) {}
TAbZipKit::~TAbZipKit() = default;

void TAbZipKit::SetPassword(std::string password) { FImpl->password = std::move(password); }

void TAbZipKit::LoadFromMemory(std::string archiveBytes) {
    LoadFromSource(std::make_unique<TMemoryByteSource>(std::move(archiveBytes)));
}

void TAbZipKit::LoadFromSource(std::unique_ptr<const IByteSource> source) {
    // Readers of the archive loaded before keep it; this one starts afresh, with the password.
    if (FImpl.use_count() > 1) {
        auto fresh = std::make_shared<TImpl>();
        fresh->password = FImpl->password;
        FImpl = std::move(fresh);
    }
    FImpl->Clear();
    FImpl->source = std::move(source);
    if (!FImpl->source) FImpl->source = std::make_unique<TMemoryByteSource>(std::string());
    if (FImpl->source->Size() == 0) {
        FImpl->open = true;
        return;
    }
    try {
        FImpl->Open();
    } catch (...) {
        FImpl->Clear();
        throw;
    }
}

// The last end record that can stand for an archive is the archive's: when its directory is not
// there, the archive is damaged, and no earlier record (of an archive stored inside this one, say)
// is taken in its place. A few candidates are enough: every one costs a read.
void TAbZipKit::TImpl::Open() {
    constexpr std::size_t MaxCandidates = 16;
    TEndRecordScan candidates(*source);
    std::optional<uint64_t> candidate;
    for (std::size_t i = 0; i < MaxCandidates && (candidate = candidates.Next()); ++i) {
        if (!CanStandForArchive(*source, *candidate)) continue;
        const TEndRecord end = ReadEndRecord(*source, *candidate);
        if (end.diskNumber != 0) throw EAbZipBadSpanStream();
        ReadCentralDirectory(end);
        BuildIndex();
        open = true;
        indexEntry = Find(TCheckpointIndex::EntryName);
        return;
    }
    throw EAbZipInvalid();
}

bool TAbZipKit::IsOpen() const { return FImpl->open; }

int TAbZipKit::FindFile(std::string_view fileName) const { return FImpl->Find(fileName); }

TAbExtractStatus TAbZipKit::TryExtract(std::string_view fileName, std::string& out) const {
    if (!FImpl->open) throw EAbNoArchive();
    const int index = FImpl->Find(fileName);
    if (index < 0) return TAbExtractStatus::NotFound;
    const TAbZipItem& item = FImpl->items[index];
    const std::size_t originalSize = out.size();
    TAbExtractStatus status;
    try {
        // The declared size is only trusted as far as the archive's own bytes can back it.
        const uint64_t backed = std::min<uint64_t>(item.compressedSize, FImpl->Size());
        const uint64_t plausible = item.compressionMethod == MethodStored ? backed : backed * MaxDeflateRatio;
        const uint64_t reserve = std::min(item.uncompressedSize, plausible);
        if (reserve < out.max_size() - out.size()) out.reserve(out.size() + static_cast<std::size_t>(reserve));
        status = FImpl->Extract(index, [&out](const char* data, std::size_t size) {
            out.append(data, size);
            return true;
        });
    } catch (const std::bad_alloc&) {
        status = TAbExtractStatus::DamagedData;
    } catch (const std::length_error&) {
        status = TAbExtractStatus::DamagedData;
    }
    if (status != TAbExtractStatus::Ok) out.resize(originalSize);
    return status;
}

TAbExtractStatus TAbZipKit::TryExtractTo(std::string_view fileName, const TAbSink& sink) const {
    if (!FImpl->open) throw EAbNoArchive();
    const int index = FImpl->Find(fileName);
    if (index < 0) return TAbExtractStatus::NotFound;
    try {
        return FImpl->Extract(index, sink);
    } catch (const std::bad_alloc&) {
        return TAbExtractStatus::DamagedData;
    }
}

TAbExtractStatus TAbZipKit::TryExtractRange(std::string_view fileName, uint64_t offset, uint64_t length,
                                            const TAbSink& sink) const {
    if (!FImpl->open) throw EAbNoArchive();
    const int index = FImpl->Find(fileName);
    if (index < 0) return TAbExtractStatus::NotFound;
    try {
        return FImpl->ExtractRange(index, offset, length, sink);
    } catch (const std::bad_alloc&) {
        return TAbExtractStatus::DamagedData;
    }
}

void TAbZipKit::ExtractToStream(std::string_view fileName, std::string& out) const { (void)TryExtract(fileName, out); }

const char* TAbZipKit::StatusMessage(TAbExtractStatus status) {
    switch (status) {
        case TAbExtractStatus::Ok: return "OK";
        case TAbExtractStatus::NotFound: return "No such entry in the archive";
        case TAbExtractStatus::WrongPassword: return "Wrong password";
        case TAbExtractStatus::CrcMismatch: return "CRC-32 mismatch: the entry is damaged";
        case TAbExtractStatus::UnsupportedMethod: return "Unsupported compression method or version";
        case TAbExtractStatus::DamagedData: return "The entry's data is damaged";
        case TAbExtractStatus::SinkFailed: return "The entry's bytes could not be written";
        case TAbExtractStatus::ReadFailed: return "The archive could not be read: its file changed or is gone";
    }
    return "Unknown error";
}

struct TAbEntryReader::TState {
    TAbZipKit::TImpl::TEntryData entry;  // where the data lies, and the cipher after the header
    std::optional<TPkwareCipher> cipher;
    uint64_t position = 0;
    bool checkCrc = false;
    uint32_t crc = 0;
    TAbExtractStatus failure = TAbExtractStatus::Ok;
    std::unique_ptr<TInflation> inflation;  // deflated entries only
};

// The inflation of a deflated entry, always from the entry's start: `output` holds the plain
// bytes [outputBegin, outputBegin + outputSize) of the entry, the latest block inflated.
struct TAbEntryReader::TInflation {
    TInflater inflater;
    std::vector<unsigned char> output = std::vector<unsigned char>(BlockSize);
    uint64_t outputBegin = 0;
    std::size_t outputSize = 0;
    uint32_t crc = 0;  // of every plain byte inflated so far

    uint64_t Produced() const { return outputBegin + outputSize; }
};

TAbEntryReader::TAbEntryReader(std::shared_ptr<const TAbZipKit::TImpl> archive, int32_t index, uint64_t begin,
                               uint64_t end)
    : FArchiveHold(std::move(archive)),
      FArchive(*FArchiveHold),
      FIndex(index),
      FBegin(begin),
      FEnd(end),
      FState(std::make_unique<TState>()) {}

TAbEntryReader::~TAbEntryReader() = default;

std::unique_ptr<TAbEntryReader> TAbZipKit::OpenEntry(std::string_view fileName, uint64_t offset, uint64_t length,
                                                     TAbExtractStatus& status) const {
    if (!FImpl->open) throw EAbNoArchive();
    const int index = FImpl->Find(fileName);
    status = TAbExtractStatus::NotFound;
    if (index < 0) return nullptr;
    const TAbZipItem& item = FImpl->items[static_cast<std::size_t>(index)];
    TImpl::TEntryData entry;
    status = FImpl->Prepare(item, entry);
    if (status != TAbExtractStatus::Ok) return nullptr;
    status = TAbExtractStatus::UnsupportedMethod;
    if (!CanOpenEntry(item)) return nullptr;
    const bool deflated = item.compressionMethod == MethodDeflate;
    status = TAbExtractStatus::DamagedData;
    if (deflated ? item.uncompressedSize / MaxDeflateRatio > entry.size + 1 : entry.size < item.uncompressedSize)
        return nullptr;
    const uint64_t begin = std::min(offset, item.uncompressedSize);
    const uint64_t end = begin + std::min(length, item.uncompressedSize - begin);
    std::unique_ptr<TAbEntryReader> reader(new TAbEntryReader(FImpl, index, begin, end));
    TAbEntryReader::TState& state = *reader->FState;
    state.position = begin;
    if (deflated) {
        state.inflation = std::make_unique<TAbEntryReader::TInflation>();
        if (!state.inflation->inflater.Ready()) return nullptr;
        state.checkCrc = end == item.uncompressedSize;
        state.cipher = entry.cipher;
    } else {
        state.checkCrc = begin == 0 && end == item.uncompressedSize;
        if (entry.cipher) {
            state.cipher = FImpl->CipherAt(index, entry, begin);
            status = TAbExtractStatus::ReadFailed;
            if (!state.cipher) return nullptr;
        }
    }
    status = TAbExtractStatus::Ok;
    state.entry = std::move(entry);
    return reader;
}

bool TAbZipKit::CanOpenEntry(const TAbZipItem& item) {
    return item.compressionMethod == MethodStored || item.compressionMethod == MethodDeflate;
}

uint64_t TAbEntryReader::Position() const { return FState->position - FBegin; }

bool TAbEntryReader::Seek(uint64_t position) {
    TState& state = *FState;
    if (position > Length()) return false;
    const uint64_t target = FBegin + position;
    if (target == state.position) return true;
    state.failure = TAbExtractStatus::Ok;
    if (TInflation* inflation = state.inflation.get()) {
        // Forward, the blocks before the target are passed over as reads go; back, the inflation
        // starts again from the entry's start.
        if (target < inflation->outputBegin) {
            inflation->inflater.Reset();
            inflation->outputBegin = inflation->outputSize = 0;
            inflation->crc = 0;
            state.cipher = state.entry.cipher;
        }
        state.position = target;
        return true;
    }
    if (state.entry.cipher) {
        std::optional<TPkwareCipher> cipher = FArchive.CipherAt(FIndex, state.entry, target);
        if (!cipher) return false;
        state.cipher = cipher;
    }
    const TAbZipItem& item = FArchive.items[static_cast<std::size_t>(FIndex)];
    state.checkCrc = target == 0 && FEnd == item.uncompressedSize;
    state.crc = 0;
    state.position = target;
    return true;
}

std::size_t TAbEntryReader::Read(char* buffer, std::size_t size, TAbExtractStatus& status) {
    TState& state = *FState;
    status = state.failure;
    if (status != TAbExtractStatus::Ok || state.position == FEnd || size == 0) return 0;
    const std::size_t got = state.inflation ? ReadInflated(buffer, size, status) : ReadStored(buffer, size, status);
    if (status != TAbExtractStatus::Ok) state.failure = status;
    return got;
}

std::size_t TAbEntryReader::ReadStored(char* buffer, std::size_t size, TAbExtractStatus& status) {
    TState& state = *FState;
    // Reads end on checkpoint boundaries, so every cipher state passed can be kept.
    const uint64_t toBoundary = CipherCheckpointStep - state.position % CipherCheckpointStep;
    const std::size_t block = static_cast<std::size_t>(std::min<uint64_t>({size, toBoundary, FEnd - state.position}));
    auto* out = reinterpret_cast<unsigned char*>(buffer);
    if (!FArchive.ReadData(state.entry, state.position, out, block)) {
        status = TAbExtractStatus::ReadFailed;
        return 0;
    }
    if (state.cipher) {
        state.cipher->Decrypt(out, block);
        FArchive.KeepCheckpoint(FIndex, state.position + block, *state.cipher);
    }
    state.position += block;
    if (state.checkCrc) {
        state.crc = Crc32(state.crc, out, block);
        if (state.position == FEnd && state.crc != FArchive.items[static_cast<std::size_t>(FIndex)].crc32) {
            status = TAbExtractStatus::CrcMismatch;
            return 0;
        }
    }
    return block;
}

std::size_t TAbEntryReader::ReadInflated(char* buffer, std::size_t size, TAbExtractStatus& status) {
    TState& state = *FState;
    TInflation& inflation = *state.inflation;
    while (state.position >= inflation.Produced()) {
        status = InflateNextBlock();
        if (status != TAbExtractStatus::Ok) return 0;
    }
    const uint64_t available = std::min(inflation.Produced(), FEnd) - state.position;
    const std::size_t block = static_cast<std::size_t>(std::min<uint64_t>(size, available));
    std::memcpy(buffer, inflation.output.data() + (state.position - inflation.outputBegin), block);
    state.position += block;
    return block;
}

// Inflates the next block of plain bytes into the output. Where the reader runs to the entry's
// end, the block holding the last bytes is checked before it is handed over: the stream must end
// there, with the declared size and CRC.
TAbExtractStatus TAbEntryReader::InflateNextBlock() {
    TState& state = *FState;
    TInflation& inflation = *state.inflation;
    const TAbZipItem& item = FArchive.items[static_cast<std::size_t>(FIndex)];
    z_stream& zs = inflation.inflater.Stream();
    inflation.outputBegin = inflation.Produced();
    inflation.outputSize = 0;
    const auto read = [&](uint64_t position, unsigned char* target, std::size_t length) {
        return FArchive.ReadData(state.entry, position, target, length);
    };
    // Feeds the inflater and runs it into [target, target + room).
    auto inflateInto = [&](unsigned char* target, std::size_t room, int& result) -> TAbExtractStatus {
        if (const TAbExtractStatus fed = inflation.inflater.FeedIfEmpty(state.entry.size, state.cipher, read);
            fed != TAbExtractStatus::Ok)
            return fed;
        zs.next_out = target;
        zs.avail_out = static_cast<uInt>(room);
        result = inflate(&zs, Z_NO_FLUSH);
        return result == Z_OK || result == Z_STREAM_END ? TAbExtractStatus::Ok : TAbExtractStatus::DamagedData;
    };
    int result = Z_OK;
    while (inflation.outputSize == 0 && result != Z_STREAM_END) {
        unsigned char* free = inflation.output.data();
        if (const TAbExtractStatus status = inflateInto(free, inflation.output.size(), result);
            status != TAbExtractStatus::Ok)
            return status;
        const std::size_t written = static_cast<std::size_t>(zs.next_out - free);
        // More than the declared size is damage; nothing beyond it is handed over.
        if (written > item.uncompressedSize - inflation.Produced()) return TAbExtractStatus::DamagedData;
        inflation.crc = Crc32(inflation.crc, free, written);
        inflation.outputSize = written;
    }
    if (result == Z_STREAM_END && inflation.Produced() != item.uncompressedSize) return TAbExtractStatus::DamagedData;
    if (!state.checkCrc || inflation.Produced() != item.uncompressedSize) return TAbExtractStatus::Ok;
    // Every declared byte is out: the stream must end without another byte.
    while (result != Z_STREAM_END) {
        unsigned char beyond = 0;
        if (const TAbExtractStatus status = inflateInto(&beyond, 1, result); status != TAbExtractStatus::Ok)
            return status;
        if (zs.avail_out == 0) return TAbExtractStatus::DamagedData;
    }
    return inflation.crc == item.crc32 ? TAbExtractStatus::Ok : TAbExtractStatus::CrcMismatch;
}

int TAbZipKit::Count() const { return static_cast<int>(FImpl->items.size()); }

const TAbZipItem& TAbZipKit::Item(int index) const { return FImpl->items.at(static_cast<std::size_t>(index)); }

}  // namespace zorv
