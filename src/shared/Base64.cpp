#include "shared/Base64.h"

#include <array>

namespace zorv {

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t NotInAlphabet = -1;

constexpr std::array<int8_t, 256> MakeDecodeTable() {
    std::array<int8_t, 256> table{};
    for (auto& entry : table) entry = NotInAlphabet;
    for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(Alphabet[i])] = static_cast<int8_t>(i);
    return table;
}

constexpr std::array<int8_t, 256> DecodeTable = MakeDecodeTable();

std::string DescribeCharacter(unsigned char c) {
    if (c > 32 && c < 127) return std::string("'") + static_cast<char>(c) + "'";
    static constexpr char Hex[] = "0123456789ABCDEF";
    return std::string("byte 0x") + Hex[c >> 4] + Hex[c & 0x0F];
}

}  // namespace

TResult<std::string> TBase64::Decode(std::string_view text) {
    // Padding may only close the text: "xx==" or "xxx=" in the last group of four.
    std::size_t dataLength = text.size();
    while (dataLength > 0 && text.size() - dataLength < 2 && text[dataLength - 1] == '=') --dataLength;
    const std::size_t padding = text.size() - dataLength;
    if (padding > 0 && text.size() % 4 != 0) {
        return Failure("Invalid Base64 text: padding \"=\" that does not complete a group of four characters");
    }

    for (std::size_t i = 0; i < dataLength; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (DecodeTable[c] == NotInAlphabet) {
            return Failure("Invalid Base64 character " + DescribeCharacter(c) + " at offset " + std::to_string(i));
        }
    }
    if (dataLength % 4 == 1) {
        return Failure("Invalid Base64 text: a single character is left after the last group of four");
    }

    std::string bytes;
    bytes.reserve(dataLength / 4 * 3 + 2);
    uint32_t bits = 0;
    int bitCount = 0;
    for (std::size_t i = 0; i < dataLength; ++i) {
        bits = (bits << 6) | static_cast<uint32_t>(DecodeTable[static_cast<unsigned char>(text[i])]);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes += static_cast<char>((bits >> bitCount) & 0xFF);
        }
    }
    return bytes;
}

std::string TBase64::Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = (static_cast<unsigned char>(bytes[i]) << 16) |
                               (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                               static_cast<unsigned char>(bytes[i + 2]);
        out += Alphabet[(group >> 18) & 63];
        out += Alphabet[(group >> 12) & 63];
        out += Alphabet[(group >> 6) & 63];
        out += Alphabet[group & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += Alphabet[(group >> 18) & 63];
        out += Alphabet[(group >> 12) & 63];
        out += rest == 2 ? Alphabet[(group >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace zorv
