#include "archive/AbZipKit.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "archive/PkwareCipher.h"
#include "archive/ZipNames.h"

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
};

// Every end record whose declared comment fits in the bytes after it, in the order they are tried:
// first those that end exactly where the data ends, then the rest from the end backwards, so that
// trailing data such as a signature table is skipped and an archive held in another's comment
// does not hide the outer one.
std::vector<std::size_t> EndRecordCandidates(std::string_view bytes) {
    std::vector<std::size_t> exact, others;
    if (bytes.size() < EndRecordSize) return exact;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t pos = bytes.size() - EndRecordSize + 1; pos-- > 0;) {
        if (p[pos] != 0x50 || Le32(p + pos) != EndRecordSignature) continue;
        const std::size_t following = bytes.size() - pos - EndRecordSize;
        const std::size_t comment = Le16(p + pos + 20);
        if (following == comment) {
            exact.push_back(pos);
        } else if (following > comment) {
            others.push_back(pos);
        }
    }
    exact.insert(exact.end(), others.begin(), others.end());
    return exact;
}

std::optional<std::size_t> FindZip64Locator(std::string_view bytes, std::size_t endRecordPos) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (endRecordPos < Zip64LocatorSize) return std::nullopt;
    for (std::size_t pos = endRecordPos - Zip64LocatorSize + 1; pos-- > 0;)
        if (p[pos] == 0x50 && Le32(p + pos) == Zip64LocatorSignature) return pos;
    return std::nullopt;
}

TEndRecord ReadEndRecord(std::string_view bytes, std::size_t pos) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + pos;
    TEndRecord record;
    const uint16_t diskNumber = Le16(p + 4);
    const uint16_t directoryDisk = Le16(p + 6);
    const uint16_t entriesOnDisk = Le16(p + 8);
    const uint16_t totalEntries = Le16(p + 10);
    const uint32_t directorySize = Le32(p + 12);
    const uint32_t directoryOffset = Le32(p + 16);
    record = {diskNumber, totalEntries, directorySize, directoryOffset};
    const bool announcesZip64 = diskNumber == 0xFFFF || directoryDisk == 0xFFFF || entriesOnDisk == 0xFFFF ||
                                totalEntries == 0xFFFF || directorySize == 0xFFFFFFFFu ||
                                directoryOffset == 0xFFFFFFFFu;
    if (!announcesZip64) return record;

    const std::optional<std::size_t> locator = FindZip64Locator(bytes, pos);
    if (!locator) throw EAbZipInvalid();
    const uint64_t zip64Pos = Le64(reinterpret_cast<const unsigned char*>(bytes.data()) + *locator + 8);
    if (zip64Pos > bytes.size() || bytes.size() - zip64Pos < Zip64EndRecordSize) throw EAbZipInvalid();
    const auto* z = reinterpret_cast<const unsigned char*>(bytes.data()) + zip64Pos;
    if (Le32(z) != Zip64EndRecordSignature) throw EAbZipInvalid();
    if (diskNumber == 0xFFFF) record.diskNumber = Le32(z + 16);
    if (totalEntries == 0xFFFF) record.totalEntries = Le64(z + 32);
    if (directorySize == 0xFFFFFFFFu) record.directorySize = Le64(z + 40);
    if (directoryOffset == 0xFFFFFFFFu) record.directoryOffset = Le64(z + 48);
    return record;
}

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
    std::string bytes;
    bool open = false;
    std::vector<TAbZipItem> items;
    // Hash index over ASCII-folded names: bucket heads and per-item links. Items are put at the
    // head of their chain in directory order, so a walk meets later duplicates first.
    std::vector<int32_t> bucketHeads;
    std::vector<int32_t> nextInBucket;
    // Per encrypted stored entry, the cipher's state before each 64 KiB of its data, filled in as
    // reads pass by: element k is the state at data offset k * CipherCheckpointStep.
    mutable std::mutex checkpointLock;
    mutable std::unordered_map<int32_t, std::vector<TPkwareCipher::TKeys>> checkpoints;

    // An entry's data as the archive holds it, the encryption header passed, and the cipher
    // positioned after that header when the entry is encrypted.
    struct TEntryData {
        const unsigned char* data = nullptr;
        uint64_t size = 0;
        std::optional<TPkwareCipher> cipher;
    };

    const unsigned char* Data() const { return reinterpret_cast<const unsigned char*>(bytes.data()); }

    void Clear() {
        open = false;
        bytes.clear();
        items.clear();
        bucketHeads.clear();
        nextInBucket.clear();
        std::lock_guard<std::mutex> lock(checkpointLock);
        checkpoints.clear();
    }

    void ReadCentralDirectory(const TEndRecord& end);
    bool ReadRecordsFilling(std::size_t start, uint64_t end);
    void Open();
    void BuildIndex();
    int Find(std::string_view name) const;
    TAbExtractStatus Prepare(const TAbZipItem& item, TEntryData& entry) const;
    TAbExtractStatus Extract(int32_t index, const TAbSink& sink) const;
    TAbExtractStatus ExtractRange(int32_t index, uint64_t offset, uint64_t length, const TAbSink& sink) const;
    TAbExtractStatus Produce(int32_t index, const unsigned char* data, uint64_t size,
                             std::optional<TPkwareCipher>& cipher, const TAbSink& sink) const;
    TAbExtractStatus CopyStored(int32_t index, const unsigned char* data, uint64_t size,
                                std::optional<TPkwareCipher>& cipher, const TAbSink& sink) const;
    TAbExtractStatus CopyStoredPart(int32_t index, const TEntryData& entry, uint64_t offset, uint64_t length,
                                    const TAbSink& sink) const;
    void KeepCheckpoint(int32_t index, uint64_t offset, const TPkwareCipher& cipher) const;
    TPkwareCipher CipherAt(int32_t index, const TEntryData& entry, uint64_t offset) const;
    TAbExtractStatus Inflate(const TAbZipItem& item, const unsigned char* data, uint64_t size,
                             std::optional<TPkwareCipher>& cipher, const TAbSink& sink) const;
};

namespace {

// One central-directory record at `pos`, or nothing when none fits there.
std::optional<TAbZipItem> ReadCentralRecord(std::string_view bytes, std::size_t pos, std::size_t& recordSize) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (pos > bytes.size() || bytes.size() - pos < CentralHeaderSize || Le32(p + pos) != CentralHeaderSignature) {
        return std::nullopt;
    }
    const unsigned char* h = p + pos;
    const std::size_t nameLength = Le16(h + 28);
    const std::size_t extraLength = Le16(h + 30);
    const std::size_t commentLength = Le16(h + 32);
    recordSize = CentralHeaderSize + nameLength + extraLength + commentLength;
    if (bytes.size() - pos < recordSize) return std::nullopt;
    const std::string_view rawName(bytes.data() + pos + CentralHeaderSize, nameLength);
    const std::string_view extra(bytes.data() + pos + CentralHeaderSize + nameLength, extraLength);

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
    item.fileName = TZipNames::DecodeName(rawName, extra, item.generalPurposeFlags, item.versionMadeBy);
    return item;
}

}  // namespace

// The directory is walked by its declared offset and size. The entry count is trusted only when
// the records do not fill that size exactly: some tools let the 16-bit count wrap past 65,535
// entries without writing Zip64 records, and then the size is what is right.
void TAbZipKit::TImpl::ReadCentralDirectory(const TEndRecord& end) {
    if (end.directoryOffset > bytes.size()) throw EAbZipInvalid();
    const std::size_t start = static_cast<std::size_t>(end.directoryOffset);
    if (end.directorySize <= bytes.size() - start && ReadRecordsFilling(start, start + end.directorySize)) return;
    items.clear();
    // The declared count is untrusted: never reserve more records than the bytes can hold.
    items.reserve(
        static_cast<std::size_t>(std::min<uint64_t>(end.totalEntries, (bytes.size() - start) / CentralHeaderSize)));
    std::size_t pos = start;
    for (uint64_t i = 0; i < end.totalEntries; ++i) {
        std::size_t recordSize = 0;
        std::optional<TAbZipItem> item = ReadCentralRecord(bytes, pos, recordSize);
        if (!item) throw EAbZipInvalid();
        items.push_back(std::move(*item));
        pos += recordSize;
    }
}

bool TAbZipKit::TImpl::ReadRecordsFilling(std::size_t start, uint64_t end) {
    items.clear();
    for (std::size_t pos = start; pos < end;) {
        std::size_t recordSize = 0;
        std::optional<TAbZipItem> item = ReadCentralRecord(bytes, pos, recordSize);
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
    if (local > bytes.size() || bytes.size() - local < LocalHeaderSize) return TAbExtractStatus::DamagedData;
    const unsigned char* header = Data() + local;
    if (Le32(header) != LocalHeaderSignature) return TAbExtractStatus::DamagedData;
    const uint16_t localFlags = Le16(header + 6);
    const uint16_t localModTime = Le16(header + 10);
    const uint64_t dataStart = local + LocalHeaderSize + Le16(header + 26) + Le16(header + 28);
    if (dataStart > bytes.size() || bytes.size() - dataStart < item.compressedSize)
        return TAbExtractStatus::DamagedData;

    entry.data = Data() + dataStart;
    entry.size = item.compressedSize;
    if (item.generalPurposeFlags & EncryptedFlag) {
        if (password.empty()) return TAbExtractStatus::WrongPassword;
        if (entry.size < TPkwareCipher::HeaderSize) return TAbExtractStatus::DamagedData;
        std::array<unsigned char, TPkwareCipher::HeaderSize> encryptionHeader;
        std::memcpy(encryptionHeader.data(), entry.data, encryptionHeader.size());
        entry.cipher.emplace(password);
        entry.cipher->Decrypt(encryptionHeader.data(), encryptionHeader.size());
        // With a data descriptor the CRC is not known when the header is written, so the check
        // byte is the high byte of the modification time instead.
        const uint32_t checkValue =
            (localFlags & DataDescriptorFlag) ? static_cast<uint32_t>(localModTime) << 16 : item.crc32;
        if (encryptionHeader.back() != (checkValue >> 24)) return TAbExtractStatus::WrongPassword;
        entry.data += TPkwareCipher::HeaderSize;
        entry.size -= TPkwareCipher::HeaderSize;
    }
    return TAbExtractStatus::Ok;
}

TAbExtractStatus TAbZipKit::TImpl::Extract(int32_t index, const TAbSink& sink) const {
    const TAbZipItem& item = items[static_cast<std::size_t>(index)];
    TEntryData entry;
    if (const TAbExtractStatus status = Prepare(item, entry); status != TAbExtractStatus::Ok) return status;
    if (item.uncompressedSize == 0) return TAbExtractStatus::Ok;
    return Produce(index, entry.data, entry.size, entry.cipher, sink);
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
    const TAbExtractStatus status = Produce(index, entry.data, entry.size, entry.cipher, window);
    if (complete && (status == TAbExtractStatus::SinkFailed || status == TAbExtractStatus::Ok))
        return TAbExtractStatus::Ok;
    return status;
}

void TAbZipKit::TImpl::KeepCheckpoint(int32_t index, uint64_t offset, const TPkwareCipher& cipher) const {
    if (offset % CipherCheckpointStep != 0) return;
    std::lock_guard<std::mutex> lock(checkpointLock);
    std::vector<TPkwareCipher::TKeys>& marks = checkpoints[index];
    if (marks.size() == offset / CipherCheckpointStep) marks.push_back(cipher.Keys());
}

// The cipher positioned at data offset `offset`: resumed from the nearest kept state at or before
// it, then run over the bytes in between, keeping the states it passes.
TPkwareCipher TAbZipKit::TImpl::CipherAt(int32_t index, const TEntryData& entry, uint64_t offset) const {
    KeepCheckpoint(index, 0, *entry.cipher);
    uint64_t position = 0;
    std::optional<TPkwareCipher> cipher;
    {
        std::lock_guard<std::mutex> lock(checkpointLock);
        const std::vector<TPkwareCipher::TKeys>& marks = checkpoints[index];
        const std::size_t nearest =
            static_cast<std::size_t>(std::min<uint64_t>(offset / CipherCheckpointStep, marks.size() - 1));
        cipher.emplace(marks[nearest]);
        position = nearest * CipherCheckpointStep;
    }
    std::vector<unsigned char> scratch(BlockSize);
    while (position < offset) {
        const std::size_t block = static_cast<std::size_t>(std::min<uint64_t>(CipherCheckpointStep, offset - position));
        std::memcpy(scratch.data(), entry.data + position, block);
        cipher->Decrypt(scratch.data(), block);
        position += block;
        KeepCheckpoint(index, position, *cipher);
    }
    return *cipher;
}

TAbExtractStatus TAbZipKit::TImpl::CopyStoredPart(int32_t index, const TEntryData& entry, uint64_t offset,
                                                  uint64_t length, const TAbSink& sink) const {
    const TAbZipItem& item = items[static_cast<std::size_t>(index)];
    if (entry.size < item.uncompressedSize) return TAbExtractStatus::DamagedData;
    std::optional<TPkwareCipher> cipher;
    if (entry.cipher) cipher.emplace(CipherAt(index, entry, offset));
    std::vector<unsigned char> decrypted(cipher ? BlockSize : 0);
    for (uint64_t done = 0; done < length;) {
        // Blocks end on checkpoint boundaries, so every state passed can be kept.
        const uint64_t position = offset + done;
        const uint64_t toBoundary = CipherCheckpointStep - position % CipherCheckpointStep;
        const std::size_t block = static_cast<std::size_t>(std::min(toBoundary, length - done));
        const unsigned char* plain = entry.data + position;
        if (cipher) {
            std::memcpy(decrypted.data(), plain, block);
            cipher->Decrypt(decrypted.data(), block);
            plain = decrypted.data();
            KeepCheckpoint(index, position + block, *cipher);
        }
        if (!sink(reinterpret_cast<const char*>(plain), block)) return TAbExtractStatus::SinkFailed;
        done += block;
    }
    return TAbExtractStatus::Ok;
}

TAbExtractStatus TAbZipKit::TImpl::Produce(int32_t index, const unsigned char* data, uint64_t size,
                                           std::optional<TPkwareCipher>& cipher, const TAbSink& sink) const {
    const TAbZipItem& item = items[static_cast<std::size_t>(index)];
    if (item.compressionMethod == MethodStored) return CopyStored(index, data, size, cipher, sink);
    if (item.compressionMethod == MethodDeflate) return Inflate(item, data, size, cipher, sink);
    return TAbExtractStatus::UnsupportedMethod;
}

// Plain stored bytes go to the sink straight from the archive; encrypted ones through one block.
TAbExtractStatus TAbZipKit::TImpl::CopyStored(int32_t index, const unsigned char* data, uint64_t size,
                                              std::optional<TPkwareCipher>& cipher, const TAbSink& sink) const {
    static_assert(BlockSize == CipherCheckpointStep, "every block starts at a checkpoint");
    const TAbZipItem& item = items[static_cast<std::size_t>(index)];
    if (size < item.uncompressedSize) return TAbExtractStatus::DamagedData;
    std::vector<unsigned char> decrypted(cipher ? BlockSize : 0);
    uint32_t crc = 0;
    for (uint64_t done = 0; done < item.uncompressedSize;) {
        const std::size_t block = static_cast<std::size_t>(std::min<uint64_t>(BlockSize, item.uncompressedSize - done));
        const unsigned char* plain = data + done;
        if (cipher) {
            KeepCheckpoint(index, done, *cipher);
            std::memcpy(decrypted.data(), plain, block);
            cipher->Decrypt(decrypted.data(), block);
            plain = decrypted.data();
        }
        crc = Crc32(crc, plain, block);
        if (!sink(reinterpret_cast<const char*>(plain), block)) return TAbExtractStatus::SinkFailed;
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

private:
    z_stream FStream{};
    bool FReady = false;
};

}  // namespace

TAbExtractStatus TAbZipKit::TImpl::Inflate(const TAbZipItem& item, const unsigned char* data, uint64_t size,
                                           std::optional<TPkwareCipher>& cipher, const TAbSink& sink) const {
    if (item.uncompressedSize / MaxDeflateRatio > size + 1) return TAbExtractStatus::DamagedData;
    TInflater inflater;
    if (!inflater.Ready()) return TAbExtractStatus::DamagedData;
    z_stream& zs = inflater.Stream();

    const uint64_t expected = item.uncompressedSize;
    std::vector<unsigned char> decrypted(cipher ? BlockSize : 0);
    std::vector<unsigned char> output(BlockSize);
    uint64_t consumed = 0;
    uint64_t produced = 0;
    uint32_t crc = 0;
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        if (zs.avail_in == 0) {
            if (consumed == size) return TAbExtractStatus::DamagedData;
            const std::size_t block = static_cast<std::size_t>(std::min<uint64_t>(BlockSize, size - consumed));
            if (cipher) {
                std::memcpy(decrypted.data(), data + consumed, block);
                cipher->Decrypt(decrypted.data(), block);
                zs.next_in = decrypted.data();
            } else {
                zs.next_in = const_cast<unsigned char*>(data + consumed);
            }
            zs.avail_in = static_cast<uInt>(block);
            consumed += block;
        }
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

TAbZipKit::TAbZipKit() : FImpl(new TImpl) {}
TAbZipKit::~TAbZipKit() { delete FImpl; }

void TAbZipKit::SetPassword(std::string password) { FImpl->password = std::move(password); }

void TAbZipKit::LoadFromMemory(std::string archiveBytes) {
    FImpl->Clear();
    FImpl->bytes = std::move(archiveBytes);
    if (FImpl->bytes.empty()) {
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

// Tries the end records in their order until one leads to a central directory; when none does,
// the first one's failure is the archive's. A few candidates are enough: every one costs a walk.
void TAbZipKit::TImpl::Open() {
    constexpr std::size_t MaxCandidates = 16;
    const std::vector<std::size_t> candidates = EndRecordCandidates(bytes);
    if (candidates.empty()) throw EAbZipInvalid();
    std::exception_ptr firstFailure;
    for (std::size_t i = 0; i < candidates.size() && i < MaxCandidates; ++i) {
        try {
            const TEndRecord end = ReadEndRecord(bytes, candidates[i]);
            if (end.diskNumber != 0) throw EAbZipBadSpanStream();
            ReadCentralDirectory(end);
            BuildIndex();
            open = true;
            return;
        } catch (const EAbException&) {
            if (!firstFailure) firstFailure = std::current_exception();
        }
    }
    std::rethrow_exception(firstFailure);
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
        const uint64_t backed = std::min<uint64_t>(item.compressedSize, FImpl->bytes.size());
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
    }
    return "Unknown error";
}

struct TAbEntryReader::TState {
    const unsigned char* data = nullptr;  // the entry's data after the encryption header
    std::optional<TPkwareCipher> cipher;
    uint64_t position = 0;
    bool checkCrc = false;
    uint32_t crc = 0;
    TAbExtractStatus failure = TAbExtractStatus::Ok;
};

TAbEntryReader::TAbEntryReader(const TAbZipKit::TImpl& archive, int32_t index, uint64_t begin, uint64_t end)
    : FArchive(archive), FIndex(index), FBegin(begin), FEnd(end), FState(std::make_unique<TState>()) {}

TAbEntryReader::~TAbEntryReader() = default;

std::unique_ptr<TAbEntryReader> TAbZipKit::OpenStoredEntry(std::string_view fileName, uint64_t offset, uint64_t length,
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
    if (item.compressionMethod != MethodStored) return nullptr;
    status = TAbExtractStatus::DamagedData;
    if (entry.size < item.uncompressedSize) return nullptr;
    status = TAbExtractStatus::Ok;
    const uint64_t begin = std::min(offset, item.uncompressedSize);
    const uint64_t end = begin + std::min(length, item.uncompressedSize - begin);
    std::unique_ptr<TAbEntryReader> reader(new TAbEntryReader(*FImpl, index, begin, end));
    reader->FState->data = entry.data;
    reader->FState->position = begin;
    reader->FState->checkCrc = begin == 0 && end == item.uncompressedSize;
    if (entry.cipher) reader->FState->cipher.emplace(FImpl->CipherAt(index, entry, begin));
    return reader;
}

std::size_t TAbEntryReader::Read(char* buffer, std::size_t size, TAbExtractStatus& status) {
    TState& state = *FState;
    status = state.failure;
    if (status != TAbExtractStatus::Ok || state.position == FEnd || size == 0) return 0;
    // Reads end on checkpoint boundaries, so every cipher state passed can be kept.
    const uint64_t toBoundary = CipherCheckpointStep - state.position % CipherCheckpointStep;
    const std::size_t block = static_cast<std::size_t>(std::min<uint64_t>({size, toBoundary, FEnd - state.position}));
    auto* out = reinterpret_cast<unsigned char*>(buffer);
    std::memcpy(out, state.data + state.position, block);
    if (state.cipher) {
        state.cipher->Decrypt(out, block);
        FArchive.KeepCheckpoint(FIndex, state.position + block, *state.cipher);
    }
    state.position += block;
    if (state.checkCrc) {
        state.crc = Crc32(state.crc, out, block);
        if (state.position == FEnd && state.crc != FArchive.items[static_cast<std::size_t>(FIndex)].crc32) {
            state.failure = status = TAbExtractStatus::CrcMismatch;
            return 0;
        }
    }
    return block;
}

int TAbZipKit::Count() const { return static_cast<int>(FImpl->items.size()); }

const TAbZipItem& TAbZipKit::Item(int index) const { return FImpl->items.at(static_cast<std::size_t>(index)); }

}  // namespace zorv
