#include "archive/ZipWriter.h"

#include <zlib.h>

#include <algorithm>
#include <array>

#include "archive/PkwareCipher.h"
#include "archive/ZipNames.h"
#include "archive/ZipWriterParts.h"

namespace zorv {
namespace {

constexpr uint32_t LocalHeaderSignature = 0x04034b50;
constexpr uint32_t DataDescriptorSignature = 0x08074b50;
constexpr uint32_t CentralHeaderSignature = 0x02014b50;
constexpr uint32_t EndRecordSignature = 0x06054b50;
constexpr uint32_t Zip64EndRecordSignature = 0x06064b50;
constexpr uint32_t Zip64LocatorSignature = 0x07064b50;
constexpr uint16_t VersionNeeded = 20;
constexpr uint16_t VersionNeededZip64 = 45;
constexpr uint16_t VersionMadeBy = 20;  // MS-DOS attributes, version 2.0
constexpr uint16_t EncryptedWithDescriptor = 0x0009;
constexpr uint16_t Utf8NameFlag = 0x0800;
constexpr uint32_t DosDirectoryAttribute = 0x10;
constexpr uint32_t DosArchiveAttribute = 0x20;
constexpr uint32_t Max32 = 0xFFFFFFFFu;
constexpr uint16_t Max16 = 0xFFFF;
constexpr std::size_t ChunkSize = 64 * 1024;

class TBytes {
public:
    TBytes& U16(uint64_t v) { return Put(v, 2); }
    TBytes& U32(uint64_t v) { return Put(v, 4); }
    TBytes& U64(uint64_t v) { return Put(v, 8); }
    TBytes& Text(std::string_view s) {
        FBytes.insert(FBytes.end(), s.begin(), s.end());
        return *this;
    }
    const std::vector<unsigned char>& Bytes() const { return FBytes; }

private:
    TBytes& Put(uint64_t v, int width) {
        for (int i = 0; i < width; ++i) FBytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
        return *this;
    }
    std::vector<unsigned char> FBytes;
};

}  // namespace

TDosDateTime TDosDateTime::FromTime(std::time_t moment) {
    const std::optional<std::tm> converted = zip_writer::LocalTime(moment);
    if (!converted) return {};
    const std::tm& local = *converted;
    const int year = local.tm_year + 1900;
    if (year < 1980) return {};
    if (year > 2107)
        return {static_cast<uint16_t>((23 << 11) | (59 << 5) | 29), static_cast<uint16_t>((127 << 9) | (12 << 5) | 31)};
    TDosDateTime result;
    result.time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    result.date = static_cast<uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    return result;
}

TZipWriter::TZipWriter(TSink sink, std::string password)
    : FSink(std::move(sink)), FPassword(std::move(password)), FRandom(std::random_device{}()) {}

bool TZipWriter::Write(const void* data, std::size_t size) {
    if (size == 0) return true;
    if (!FSink(data, size)) {
        if (FLastErrorMessage.empty()) FLastErrorMessage = "Cannot write the archive";
        return false;
    }
    FOffset += size;
    return true;
}

bool TZipWriter::CheckName(std::string_view name, bool directory) {
    if (FFinished) {
        FLastErrorMessage = "The archive is already finished";
        return false;
    }
    const char* reason = nullptr;
    if (name.empty()) {
        reason = "it is empty";
    } else if (name.size() > Max16) {
        reason = "it is longer than the 65,535 bytes an entry name can hold";
    } else if (name.find('\\') != std::string_view::npos) {
        reason = "it holds a backslash, which readers take for a folder separator";
    } else if (directory != (name.back() == '/')) {
        reason = directory ? "a folder's name must end with \"/\"" : "a file's name must not end with \"/\"";
    }
    if (reason) {
        FLastErrorMessage = "Invalid entry name \"" + std::string(name) + "\": " + reason;
        return false;
    }
    return true;
}

TStatus TZipWriter::Outcome(bool succeeded) const {
    if (succeeded) return Succeeded();
    return Failure(FLastErrorMessage.empty() ? std::string("Cannot write the archive") : FLastErrorMessage);
}

TStatus TZipWriter::AddDirectory(std::string_view name, TDosDateTime modified) {
    return Outcome(AddEntry(name, modified, true, [](char*, std::size_t, std::size_t& got) {
        got = 0;
        return true;
    }));
}

TStatus TZipWriter::AddFile(std::string_view name, TDosDateTime modified, const TSource& source) {
    return Outcome(AddEntry(name, modified, false, source));
}

TStatus TZipWriter::AddFile(std::string_view name, TDosDateTime modified, std::string_view bytes) {
    std::size_t position = 0;
    return Outcome(AddEntry(name, modified, false, [&](char* buffer, std::size_t capacity, std::size_t& got) {
        got = std::min(capacity, bytes.size() - position);
        std::copy_n(bytes.data() + position, got, buffer);
        position += got;
        return true;
    }));
}

bool TZipWriter::AddEntry(std::string_view name, TDosDateTime modified, bool directory, const TSource& source) {
    if (!CheckName(name, directory)) return false;
    TEntry entry;
    entry.name = std::string(name);
    entry.modified = modified;
    entry.directory = directory;
    entry.flags = EncryptedWithDescriptor | (TZipNames::IsAscii(name) ? 0 : Utf8NameFlag);
    entry.localHeaderOffset = FOffset;

    TBytes local;
    local.U32(LocalHeaderSignature).U16(VersionNeeded).U16(entry.flags).U16(0).U16(modified.time).U16(modified.date);
    local.U32(0).U32(0).U32(0).U16(name.size()).U16(0).Text(name);
    if (!Write(local.Bytes())) return false;

    // Sizes and CRC follow in the data descriptor, so the header's check byte is the high byte
    // of the modification time.
    TPkwareCipher cipher(FPassword);
    std::array<unsigned char, TPkwareCipher::HeaderSize> header;
    for (std::size_t i = 0; i + 1 < header.size(); ++i) header[i] = static_cast<unsigned char>(FRandom());
    header.back() = static_cast<unsigned char>(modified.time >> 8);
    cipher.Encrypt(header.data(), header.size());
    if (!Write(header.data(), header.size())) return false;

    std::vector<char> buffer(ChunkSize);
    uLong crc = crc32(0, nullptr, 0);
    for (;;) {
        std::size_t got = 0;
        if (!source(buffer.data(), buffer.size(), got)) {
            if (FLastErrorMessage.empty()) FLastErrorMessage = "Cannot read the data of \"" + entry.name + "\"";
            return false;
        }
        if (got == 0) break;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(got));
        if (entry.size + got > Max32 - TPkwareCipher::HeaderSize) {
            FLastErrorMessage = "\"" + entry.name + "\" is too large for the archive (4 GiB at most)";
            return false;
        }
        EncryptKeepingCheckpoints(cipher, reinterpret_cast<unsigned char*>(buffer.data()), got, entry);
        if (!Write(buffer.data(), got)) return false;
    }
    entry.crc32 = static_cast<uint32_t>(crc);
    entry.checkpoints.keys.push_back(cipher.Keys());
    if (entry.size < TCheckpointIndex::MinEntrySize) entry.checkpoints = {};

    TBytes descriptor;
    descriptor.U32(DataDescriptorSignature)
        .U32(entry.crc32)
        .U32(entry.size + TPkwareCipher::HeaderSize)
        .U32(entry.size);
    if (!Write(descriptor.Bytes())) return false;
    FEntries.push_back(std::move(entry));
    return true;
}

// Encrypts `size` bytes in pieces that end on the checkpoint steps of the entry's data, keeping
// the keys where each step starts and the CRC-32 of each step's plain bytes.
void TZipWriter::EncryptKeepingCheckpoints(TPkwareCipher& cipher, unsigned char* data, std::size_t size,
                                           TEntry& entry) {
    TCheckpointIndex::TRecord& marks = entry.checkpoints;
    while (size > 0) {
        const uint64_t inStep = entry.size % TCheckpointIndex::Step;
        if (inStep == 0) {
            marks.keys.push_back(cipher.Keys());
            marks.blockCrcs.push_back(static_cast<uint32_t>(crc32(0, nullptr, 0)));
        }
        const std::size_t piece = static_cast<std::size_t>(std::min<uint64_t>(size, TCheckpointIndex::Step - inStep));
        marks.blockCrcs.back() = static_cast<uint32_t>(crc32(marks.blockCrcs.back(), data, static_cast<uInt>(piece)));
        cipher.Encrypt(data, piece);
        entry.size += piece;
        data += piece;
        size -= piece;
    }
}

// The index of the checkpoints of every large entry, as one more entry; none when no entry is large.
bool TZipWriter::WriteCheckpointIndex() {
    std::vector<TCheckpointIndex::TRecord> records;
    for (TEntry& entry : FEntries) {
        if (entry.checkpoints.blockCrcs.empty()) continue;
        entry.checkpoints.localHeaderOffset = entry.localHeaderOffset;
        entry.checkpoints.size = entry.size;
        entry.checkpoints.crc32 = entry.crc32;
        records.push_back(std::move(entry.checkpoints));
        entry.checkpoints = {};
    }
    if (records.empty()) return true;
    const std::string bytes = TCheckpointIndex::Format(records);
    std::size_t position = 0;
    const bool written = AddEntry(TCheckpointIndex::EntryName, TDosDateTime{}, false,
                                  [&](char* buffer, std::size_t capacity, std::size_t& got) {
                                      got = std::min(capacity, bytes.size() - position);
                                      std::copy_n(bytes.data() + position, got, buffer);
                                      position += got;
                                      return true;
                                  });
    FEntries.back().checkpoints = {};
    FIndexWritten = written;
    return written;
}

bool TZipWriter::WriteCentralRecord(const TEntry& entry) {
    const bool offsetInZip64 = entry.localHeaderOffset >= Max32;
    TBytes extra;
    if (offsetInZip64) extra.U16(0x0001).U16(8).U64(entry.localHeaderOffset);
    TBytes record;
    record.U32(CentralHeaderSignature).U16(VersionMadeBy).U16(offsetInZip64 ? VersionNeededZip64 : VersionNeeded);
    record.U16(entry.flags).U16(0).U16(entry.modified.time).U16(entry.modified.date);
    record.U32(entry.crc32).U32(entry.size + TPkwareCipher::HeaderSize).U32(entry.size);
    record.U16(entry.name.size()).U16(extra.Bytes().size()).U16(0).U16(0).U16(0);
    record.U32(entry.directory ? DosDirectoryAttribute : DosArchiveAttribute);
    record.U32(offsetInZip64 ? Max32 : entry.localHeaderOffset).Text(entry.name);
    return Write(record.Bytes()) && Write(extra.Bytes());
}

bool TZipWriter::WriteEndRecords(uint64_t directoryOffset, uint64_t directorySize) {
    const uint64_t count = FEntries.size();
    const bool zip64 = count >= Max16 || directoryOffset >= Max32 || directorySize >= Max32;
    if (zip64) {
        const uint64_t zip64RecordOffset = FOffset;
        TBytes record;
        record.U32(Zip64EndRecordSignature).U64(44).U16(VersionNeededZip64).U16(VersionNeededZip64);
        record.U32(0).U32(0).U64(count).U64(count).U64(directorySize).U64(directoryOffset);
        record.U32(Zip64LocatorSignature).U32(0).U64(zip64RecordOffset).U32(1);
        if (!Write(record.Bytes())) return false;
    }
    TBytes end;
    end.U32(EndRecordSignature).U16(0).U16(0);
    end.U16(std::min<uint64_t>(count, Max16)).U16(std::min<uint64_t>(count, Max16));
    end.U32(std::min<uint64_t>(directorySize, Max32)).U32(std::min<uint64_t>(directoryOffset, Max32)).U16(0);
    return Write(end.Bytes());
}

TStatus TZipWriter::Finish() { return Outcome(WriteDirectoryAndEnd()); }

bool TZipWriter::WriteDirectoryAndEnd() {
    if (FFinished) return true;
    if (!FIndexWritten && !WriteCheckpointIndex()) return false;
    const uint64_t directoryOffset = FOffset;
    for (const TEntry& entry : FEntries)
        if (!WriteCentralRecord(entry)) return false;
    if (!WriteEndRecords(directoryOffset, FOffset - directoryOffset)) return false;
    FFinished = true;
    return true;
}

}  // namespace zorv
