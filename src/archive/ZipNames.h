#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zorv {

// Turns the raw name of a central-directory record into UTF-8: the UTF-8 flag or well-formed
// UTF-8 bytes, then the Info-ZIP Unicode Path extra field, then the UTF-16 "NUCX" extra field,
// then single-byte text (code page 437 for names made on MS-DOS hosts, Windows-1252 otherwise),
// cut at its first NUL byte.
class TZipNames {
public:
    TZipNames() = delete;
    static std::string DecodeName(std::string_view rawName, std::string_view extraField, uint16_t generalPurposeFlags,
                                  uint16_t versionMadeBy);
    // True when the bytes hold at least one byte of 0x80 or more and are well-formed UTF-8.
    static bool IsNonAsciiUtf8(std::string_view bytes);
    static bool IsAscii(std::string_view bytes);
    // The data of the first extra-field block with this header ID, or an empty view.
    static std::string_view FindExtraBlock(std::string_view extraField, uint16_t headerId, bool& found);
    static void AppendUtf8(std::string& out, uint32_t codePoint);

private:
    static std::string DecodeWholeName(std::string_view rawName, std::string_view extraField,
                                       uint16_t generalPurposeFlags, uint16_t versionMadeBy);
};

}  // namespace zorv
