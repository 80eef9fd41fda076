#pragma once
// The one way tests, fuzz harnesses and benchmarks build an archive: in memory, with the packing
// writer, as packaged files carry it; and byte patches to damage one on purpose.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "archive/AbZipKit.h"
#include "archive/ZipWriter.h"

namespace zorv::test {

using TEntryList = std::vector<std::pair<std::string, std::string>>;  // name, bytes ("" + "/" = folder)

// The archive of `entries` in their order, every one dated the same moment so that the bytes are
// the same on every run; empty when the writer refuses an entry.
inline std::string BuildArchive(const TEntryList& entries, const std::string& password = ZORV_ARCHIVE_PASSWORD) {
    std::string archive;
    TZipWriter writer(
        [&](const void* data, std::size_t size) {
            archive.append(static_cast<const char*>(data), size);
            return true;
        },
        password);
    TDosDateTime when;
    when.time = 0x6A3C;
    when.date = 0x5B8A;
    for (const auto& [name, bytes] : entries) {
        const TStatus added =
            !name.empty() && name.back() == '/' ? writer.AddDirectory(name, when) : writer.AddFile(name, when, bytes);
        if (!added) return {};
    }
    if (!writer.Finish()) return {};
    return archive;
}

inline uint32_t GetLe(const std::string& bytes, std::size_t at, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

inline void PutLe(std::string& bytes, std::size_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// Offset of the end record of an archive without comment or trailing bytes.
inline std::size_t EndRecordOffset(const std::string& archive) { return archive.size() - 22; }

// Offset of the central-directory record of entry `index`.
inline std::size_t CentralRecordOffset(const std::string& archive, int index) {
    std::size_t at = GetLe(archive, EndRecordOffset(archive) + 16, 4);
    for (int i = 0; i < index; ++i)
        at += 46 + GetLe(archive, at + 28, 2) + GetLe(archive, at + 30, 2) + GetLe(archive, at + 32, 2);
    return at;
}

// Offset of the first byte of an entry's data (after its local header).
inline std::size_t DataOffset(const std::string& archive, int index) {
    const std::size_t local = GetLe(archive, CentralRecordOffset(archive, index) + 42, 4);
    return local + 30 + GetLe(archive, local + 26, 2) + GetLe(archive, local + 28, 2);
}

}  // namespace zorv::test
