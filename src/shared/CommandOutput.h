#pragma once
#include <cstddef>
#include <string>

namespace zorv {

// The most output a command run for a page may give back. A command that writes more is ended as
// soon as its output passes the limit, and what it wrote is refused rather than passed on cut.
constexpr std::size_t MaxCommandOutputBytes = std::size_t{64} << 20;

// The most the output may take once written as the JSON string of the reply, quotes included:
// what the reply costs on its way to the page grows with that text, not with the bytes read.
// Printable text, tabs and line ends take at most two bytes each there ("\/", "\n"), so any such
// output within MaxCommandOutputBytes fits; a control character takes six ("\u0001") and a byte
// that is no UTF-8 three (U+FFFD), so output full of those is refused sooner.
constexpr std::size_t MaxCommandReplyBytes = 2 * MaxCommandOutputBytes + 2;

// Command runners that stop at the limit give back one byte more than it allows, so that a cut
// output is told from one that only reached the limit.
inline bool CommandOutputWasCut(const std::string& output) { return output.size() > MaxCommandOutputBytes; }

}  // namespace zorv
