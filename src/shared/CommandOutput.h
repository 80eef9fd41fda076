#pragma once
#include <cstddef>
#include <string>

namespace zorv {

// The most output a command run for a page may give back. A command that writes more is ended as
// soon as its output passes the limit, and what it wrote is refused rather than passed on cut.
constexpr std::size_t MaxCommandOutputBytes = std::size_t{64} << 20;

// Command runners that stop at the limit give back one byte more than it allows, so that a cut
// output is told from one that only reached the limit.
inline bool CommandOutputWasCut(const std::string& output) { return output.size() > MaxCommandOutputBytes; }

}  // namespace zorv
