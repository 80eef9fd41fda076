#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace zorv {

// Read-only bytes read by position, such as an archive. Reads may come from several threads at
// once. A read that cannot be served whole (the bytes are no longer there) reports false.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Copies exactly `size` bytes from `offset` to `target`; false when they cannot all be read.
    [[nodiscard]] virtual bool ReadAt(uint64_t offset, void* target, std::size_t size) const = 0;
};

// Bytes held in memory.
class TMemoryByteSource final : public IByteSource {
public:
    explicit TMemoryByteSource(std::string bytes) : FBytes(std::move(bytes)) {}
    uint64_t Size() const override { return FBytes.size(); }
    bool ReadAt(uint64_t offset, void* target, std::size_t size) const override {
        if (offset > FBytes.size() || FBytes.size() - offset < size) return false;
        if (size > 0) std::memcpy(target, FBytes.data() + offset, size);
        return true;
    }

private:
    std::string FBytes;
};

}  // namespace zorv
