#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace zorv {

// Windows opens a device, not a file, for CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0 to COM9 and
// LPT0 to LPT9 (the superscripts one to three too) in any folder, in any case, whatever follows
// a dot and with blanks before it: "nul.txt" and "Com1 .log" are devices as well.
// Where the device name ends in a UTF-8 file name that is one, or nothing for other names.
std::optional<std::size_t> DosDeviceStemEnd(std::string_view fileName);

}  // namespace zorv
