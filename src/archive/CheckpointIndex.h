#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/PkwareCipher.h"

namespace zorv {

// The checkpoint index an archive may carry as one more (encrypted, stored) entry: for each
// large stored entry, the cipher's keys at every 64 KiB of its plain data, so that a reader can
// start decrypting anywhere without running the cipher over every byte before, and each block's
// CRC-32 of the plain bytes, so that a block decrypted from a checkpoint can be checked before any
// of it is handed over. Little-endian:
//   "ZCKP", u32 version 1, u32 record count, then per record:
//   u64 local header offset, u64 plain size, u32 CRC-32 of the entry, u32 block count N,
//   N x (u32 key0, u32 key1, u32 key2, u32 CRC-32 of the block), u32 key0, key1, key2 after it all.
struct TCheckpointIndex {
    // The entry name: ":" cannot be in a packaged file's name (nor in the application folder's).
    static constexpr std::string_view EntryName = "zorv:checkpoints";
    static constexpr uint64_t Step = 64 * 1024;
    // Entries from this size on get checkpoints.
    static constexpr uint64_t MinEntrySize = 256 * 1024;
    // An index beyond this size is not read (1 MiB covers 4 GiB of entries).
    static constexpr uint64_t MaxSize = 16u << 20;

    struct TRecord {
        uint64_t localHeaderOffset = 0;
        uint64_t size = 0;
        uint32_t crc32 = 0;
        std::vector<TPkwareCipher::TKeys> keys;  // block count + 1
        std::vector<uint32_t> blockCrcs;         // block count
    };

    static uint64_t BlockCount(uint64_t size) { return (size + Step - 1) / Step; }
    // The records of an index's bytes, or nothing when they are not a whole index.
    static std::optional<std::vector<TRecord>> Parse(std::string_view bytes);
    // The bytes of an index holding `records`.
    static std::string Format(const std::vector<TRecord>& records);
};

}  // namespace zorv
