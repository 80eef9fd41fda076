#include "shared/DosDeviceNames.h"

#include <algorithm>

namespace zorv {

namespace {

bool EqualsAsciiIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
               return upper(x) == upper(y);
           });
}

bool IsDeviceStem(std::string_view stem) {
    static constexpr std::string_view Devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : Devices)
        if (EqualsAsciiIgnoringCase(stem, device)) return true;
    if (stem.size() < 4 ||
        (!EqualsAsciiIgnoringCase(stem.substr(0, 3), "COM") && !EqualsAsciiIgnoringCase(stem.substr(0, 3), "LPT")))
        return false;
    const std::string_view number = stem.substr(3);
    // 0 to 9 and the superscripts one to three (UTF-8 C2 B9, C2 B2, C2 B3).
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

std::optional<std::size_t> DosDeviceStemEnd(std::string_view fileName) {
    std::size_t stemEnd = std::min(fileName.find('.'), fileName.size());
    while (stemEnd > 0 && fileName[stemEnd - 1] == ' ') --stemEnd;
    if (!IsDeviceStem(fileName.substr(0, stemEnd))) return std::nullopt;
    return stemEnd;
}

}  // namespace zorv
