#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "archive/CheckpointIndex.h"
#include "shared/Result.h"

namespace zorv {

class TPkwareCipher;

// MS-DOS date and time as ZIP headers store them.
struct TDosDateTime {
    uint16_t time = 0;
    uint16_t date = 0x21;  // 1980-01-01, the earliest the format can hold
    // Local time of `moment`, clamped to the years 1980 to 2107.
    static TDosDateTime FromTime(std::time_t moment);
};

// Writes a ZIP archive the way packaged files carry it: every entry, folders included, Stored
// and encrypted with the traditional PKWARE cipher, with a data descriptor (flags 0x0009,
// version needed 2.0), "/" separators and the UTF-8 flag on non-ASCII names. Zip64 end records
// are written when the entry count or the offsets outgrow the classic fields. Entries are
// streamed to the sink in one pass. When an entry is large, a checkpoint index entry is written
// last (see CheckpointIndex.h), so that a reader can start decrypting anywhere in it.
class TZipWriter {
public:
    // Receives the archive's bytes in order; false stops the writer.
    using TSink = std::function<bool(const void* data, std::size_t size)>;
    // Fills up to `capacity` bytes and sets `got`; `got` 0 marks the end. False on a read error.
    using TSource = std::function<bool(char* buffer, std::size_t capacity, std::size_t& got)>;

    TZipWriter(TSink sink, std::string password);

    // `name` must end with "/". Each fails with the reason; after a failure the archive is not whole.
    TStatus AddDirectory(std::string_view name, TDosDateTime modified);
    TStatus AddFile(std::string_view name, TDosDateTime modified, const TSource& source);
    TStatus AddFile(std::string_view name, TDosDateTime modified, std::string_view bytes);
    // Writes the central directory and the end records; no entry can follow.
    TStatus Finish();

    // The entries added (the checkpoint index not counted).
    std::size_t Count() const { return FEntries.size() - (FIndexWritten ? 1 : 0); }
    uint64_t BytesWritten() const { return FOffset; }

private:
    struct TEntry {
        std::string name;
        TDosDateTime modified;
        uint16_t flags = 0;
        uint32_t crc32 = 0;
        uint64_t size = 0;  // plain size; the stored size adds the 12-byte encryption header
        uint64_t localHeaderOffset = 0;
        bool directory = false;
        // The cipher's keys at every 64 KiB of the plain data and each block's CRC-32.
        TCheckpointIndex::TRecord checkpoints;
    };

    TStatus Outcome(bool succeeded) const;
    bool WriteDirectoryAndEnd();
    bool AddEntry(std::string_view name, TDosDateTime modified, bool directory, const TSource& source);
    bool CheckName(std::string_view name, bool directory);
    bool Write(const void* data, std::size_t size);
    bool Write(const std::vector<unsigned char>& bytes) { return Write(bytes.data(), bytes.size()); }
    bool WriteCentralRecord(const TEntry& entry);
    bool WriteEndRecords(uint64_t directoryOffset, uint64_t directorySize);
    bool WriteCheckpointIndex();
    void EncryptKeepingCheckpoints(TPkwareCipher& cipher, unsigned char* data, std::size_t size, TEntry& entry);

    TSink FSink;
    std::string FPassword;
    std::vector<TEntry> FEntries;
    uint64_t FOffset = 0;
    bool FFinished = false;
    bool FIndexWritten = false;
    std::mt19937 FRandom;
    std::string FLastErrorMessage;  // why the last step failed
};

}  // namespace zorv
