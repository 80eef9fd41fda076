#include "archive/CheckpointIndex.h"

namespace zorv {
namespace {

constexpr uint32_t Magic = 0x504B435Au;  // "ZCKP"
constexpr uint32_t Version = 1;

class TReader {
public:
    explicit TReader(std::string_view bytes) : FBytes(bytes) {}
    bool U32(uint32_t& value) {
        if (FBytes.size() - FAt < 4) return false;
        value = 0;
        for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(FBytes[FAt + i]);
        FAt += 4;
        return true;
    }
    bool U64(uint64_t& value) {
        uint32_t low = 0, high = 0;
        if (!U32(low) || !U32(high)) return false;
        value = low | (static_cast<uint64_t>(high) << 32);
        return true;
    }
    bool Keys(TPkwareCipher::TKeys& keys) { return U32(keys.key0) && U32(keys.key1) && U32(keys.key2); }
    std::size_t Left() const { return FBytes.size() - FAt; }

private:
    std::string_view FBytes;
    std::size_t FAt = 0;
};

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}
void PutU64(std::string& out, uint64_t value) {
    PutU32(out, static_cast<uint32_t>(value));
    PutU32(out, static_cast<uint32_t>(value >> 32));
}
void PutKeys(std::string& out, const TPkwareCipher::TKeys& keys) {
    PutU32(out, keys.key0);
    PutU32(out, keys.key1);
    PutU32(out, keys.key2);
}

}  // namespace

std::optional<std::vector<TCheckpointIndex::TRecord>> TCheckpointIndex::Parse(std::string_view bytes) {
    TReader in(bytes);
    uint32_t magic = 0, version = 0, count = 0;
    if (!in.U32(magic) || magic != Magic || !in.U32(version) || version != Version || !in.U32(count))
        return std::nullopt;
    std::vector<TRecord> records;
    for (uint32_t r = 0; r < count; ++r) {
        TRecord record;
        uint32_t blocks = 0;
        if (!in.U64(record.localHeaderOffset) || !in.U64(record.size) || !in.U32(record.crc32) || !in.U32(blocks))
            return std::nullopt;
        // Never trust a count the bytes cannot hold.
        if (blocks != BlockCount(record.size) || in.Left() / 16 < blocks) return std::nullopt;
        record.keys.resize(static_cast<std::size_t>(blocks) + 1);
        record.blockCrcs.resize(blocks);
        for (uint32_t b = 0; b < blocks; ++b)
            if (!in.Keys(record.keys[b]) || !in.U32(record.blockCrcs[b])) return std::nullopt;
        if (!in.Keys(record.keys[blocks])) return std::nullopt;
        records.push_back(std::move(record));
    }
    if (in.Left() != 0) return std::nullopt;
    return records;
}

std::string TCheckpointIndex::Format(const std::vector<TRecord>& records) {
    std::string out;
    PutU32(out, Magic);
    PutU32(out, Version);
    PutU32(out, static_cast<uint32_t>(records.size()));
    for (const TRecord& record : records) {
        PutU64(out, record.localHeaderOffset);
        PutU64(out, record.size);
        PutU32(out, record.crc32);
        PutU32(out, static_cast<uint32_t>(record.blockCrcs.size()));
        for (std::size_t b = 0; b < record.blockCrcs.size(); ++b) {
            PutKeys(out, record.keys[b]);
            PutU32(out, record.blockCrcs[b]);
        }
        PutKeys(out, record.keys.back());
    }
    return out;
}

}  // namespace zorv
