#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// What the portable part of TExeResources and its platform parts share: the layout of an icon
// file's header and directory entries.
namespace zorv::exe_resources {

inline constexpr std::size_t IconHeaderSize = 6;
inline constexpr std::size_t IconEntrySize = 16;

inline uint32_t ReadLittleEndian(std::string_view bytes, std::size_t offset, std::size_t size) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

}  // namespace zorv::exe_resources
