#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zorv {

constexpr std::array<uint32_t, 256> MakePkwareCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
inline constexpr std::array<uint32_t, 256> PkwareCrcTable = MakePkwareCrcTable();

// The traditional PKWARE stream cipher ("ZipCrypto") of the ZIP application note, keyed by a
// password. One object runs one entry: key it, then decrypt (or encrypt) the 12-byte header and
// the data that follows, in order.
class TPkwareCipher {
public:
    static constexpr std::size_t HeaderSize = 12;

    // The whole state of the cipher between two bytes; a stream can be resumed from it.
    struct TKeys {
        uint32_t key0, key1, key2;
    };

    explicit TPkwareCipher(std::string_view password) {
        for (unsigned char c : password) UpdateKeys(c);
    }
    explicit TPkwareCipher(TKeys keys) : FKey0(keys.key0), FKey1(keys.key1), FKey2(keys.key2) {}
    TKeys Keys() const { return {FKey0, FKey1, FKey2}; }

    void Decrypt(unsigned char* data, std::size_t size) {
        uint32_t k0 = FKey0, k1 = FKey1, k2 = FKey2;
        for (std::size_t i = 0; i < size; ++i) {
            const uint32_t t = (k2 | 2u) & 0xFFFFu;
            const unsigned char plain = data[i] ^ static_cast<unsigned char>((t * (t ^ 1u)) >> 8);
            data[i] = plain;
            Step(k0, k1, k2, plain);
        }
        FKey0 = k0;
        FKey1 = k1;
        FKey2 = k2;
    }

    void Encrypt(unsigned char* data, std::size_t size) {
        uint32_t k0 = FKey0, k1 = FKey1, k2 = FKey2;
        for (std::size_t i = 0; i < size; ++i) {
            const uint32_t t = (k2 | 2u) & 0xFFFFu;
            const unsigned char plain = data[i];
            data[i] = plain ^ static_cast<unsigned char>((t * (t ^ 1u)) >> 8);
            Step(k0, k1, k2, plain);
        }
        FKey0 = k0;
        FKey1 = k1;
        FKey2 = k2;
    }

    static constexpr uint32_t CrcByte(uint32_t crc, unsigned char b) {
        return PkwareCrcTable[(crc ^ b) & 0xFFu] ^ (crc >> 8);
    }

private:
    static void Step(uint32_t& k0, uint32_t& k1, uint32_t& k2, unsigned char plain) {
        k0 = CrcByte(k0, plain);
        k1 = (k1 + (k0 & 0xFFu)) * 134775813u + 1u;
        k2 = CrcByte(k2, static_cast<unsigned char>(k1 >> 24));
    }
    void UpdateKeys(unsigned char plain) { Step(FKey0, FKey1, FKey2, plain); }

    uint32_t FKey0 = 0x12345678u;
    uint32_t FKey1 = 0x23456789u;
    uint32_t FKey2 = 0x34567890u;
};

}  // namespace zorv
