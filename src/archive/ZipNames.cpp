#include "archive/ZipNames.h"

#include <zlib.h>

#include <array>

namespace zorv {
namespace {

constexpr uint16_t UnicodePathExtraId = 0x7075;
constexpr uint16_t Utf16NameExtraId = 0x554E;
constexpr uint32_t Utf16NameSignature = 0x5843554E;
constexpr uint16_t Utf8NameFlag = 0x0800;
constexpr uint32_t ReplacementCharacter = 0xFFFD;

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// Code page 437, bytes 0x80 to 0xFF.
constexpr std::array<uint16_t, 128> Cp437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

// Windows-1252, bytes 0x80 to 0x9F (the rest of the upper half is Latin-1). Unassigned bytes map
// to the C1 control of the same value, as Windows itself converts them.
constexpr std::array<uint16_t, 32> Cp1252C1 = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Length of the well-formed UTF-8 sequence at `p`, or 0.
std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t available) {
    const unsigned char lead = p[0];
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (length > available) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((p[i] & 0xC0) != 0x80) return 0;
    return length;
}

// Keeps well-formed sequences and replaces every other byte with U+FFFD, so that names are
// always valid UTF-8 for the rest of the program.
std::string SanitizedUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const unsigned char* p = Bytes(bytes);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t length = Utf8SequenceLength(p + i, bytes.size() - i);
        if (length == 0) {
            TZipNames::AppendUtf8(out, ReplacementCharacter);
            ++i;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string SingleByteToUtf8(std::string_view bytes, bool oem) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c < 0x80)
            out.push_back(static_cast<char>(c));
        else if (oem)
            TZipNames::AppendUtf8(out, Cp437High[c - 0x80]);
        else if (c < 0xA0)
            TZipNames::AppendUtf8(out, Cp1252C1[c - 0x80]);
        else
            TZipNames::AppendUtf8(out, c);
    }
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    const unsigned char* p = Bytes(bytes);
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        uint32_t unit = Le16(p + 2 * i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const uint32_t low = Le16(p + 2 * (i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                TZipNames::AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) unit = ReplacementCharacter;
        TZipNames::AppendUtf8(out, unit);
    }
    return out;
}

bool FromUnicodePathField(std::string_view rawName, std::string_view extra, std::string& name) {
    bool found = false;
    const std::string_view data = TZipNames::FindExtraBlock(extra, UnicodePathExtraId, found);
    if (!found || data.size() < 5 || Bytes(data)[0] != 1) return false;
    const uint32_t nameCrc = Le32(Bytes(data) + 1);
    const uInt length = static_cast<uInt>(rawName.size());
    if (nameCrc != crc32(0, Bytes(rawName), length)) return false;
    name = SanitizedUtf8(data.substr(5));
    return true;
}

bool FromUtf16NameField(std::string_view extra, std::string& name) {
    bool found = false;
    const std::string_view data = TZipNames::FindExtraBlock(extra, Utf16NameExtraId, found);
    if (!found || data.size() <= 10 || Le32(Bytes(data)) != Utf16NameSignature) return false;
    const std::size_t count = Le16(Bytes(data) + 4);
    if (data.size() != 8 + 2 * count) return false;
    name = Utf16LeToUtf8(data.substr(8));
    return true;
}

}  // namespace

void TZipNames::AppendUtf8(std::string& out, uint32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = ReplacementCharacter;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool TZipNames::IsAscii(std::string_view bytes) {
    for (unsigned char c : bytes)
        if (c >= 0x80) return false;
    return true;
}

bool TZipNames::IsNonAsciiUtf8(std::string_view bytes) {
    const unsigned char* p = Bytes(bytes);
    bool sawHighByte = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t length = Utf8SequenceLength(p + i, bytes.size() - i);
        if (length == 0) return false;
        sawHighByte = sawHighByte || length > 1;
        i += length;
    }
    return sawHighByte;
}

std::string_view TZipNames::FindExtraBlock(std::string_view extra, uint16_t headerId, bool& found) {
    found = false;
    std::size_t pos = 0;
    while (extra.size() - pos >= 4) {
        const uint16_t id = Le16(Bytes(extra) + pos);
        const std::size_t size = Le16(Bytes(extra) + pos + 2);
        if (size > extra.size() - pos - 4) break;
        if (id == headerId) {
            found = true;
            return extra.substr(pos + 4, size);
        }
        pos += 4 + size;
    }
    return {};
}

std::string TZipNames::DecodeName(std::string_view rawName, std::string_view extra, uint16_t flags,
                                  uint16_t versionMadeBy) {
    std::string name = DecodeWholeName(rawName, extra, flags, versionMadeBy);
    // A name ends at its first NUL byte, as other readers end it: no caller could address the rest.
    if (const std::size_t nul = name.find('\0'); nul != std::string::npos) name.resize(nul);
    return name;
}

std::string TZipNames::DecodeWholeName(std::string_view rawName, std::string_view extra, uint16_t flags,
                                       uint16_t versionMadeBy) {
    if (IsAscii(rawName) && (flags & Utf8NameFlag) == 0 && extra.empty()) return std::string(rawName);
    if ((flags & Utf8NameFlag) != 0 || IsNonAsciiUtf8(rawName)) return SanitizedUtf8(rawName);
    std::string name;
    if (FromUnicodePathField(rawName, extra, name)) return name;
    if (FromUtf16NameField(extra, name)) return name;
    const bool madeOnMsDos = (versionMadeBy >> 8) == 0;
    return SingleByteToUtf8(rawName, madeOnMsDos);
}

}  // namespace zorv
