#pragma once
#include <ctime>
#include <optional>

// What the portable part of TZipWriter and its platform parts share.
namespace zorv::zip_writer {

// The moment in the local time zone, read the thread-safe way the platform offers; nothing when
// the moment cannot be converted.
std::optional<std::tm> LocalTime(std::time_t moment);

}  // namespace zorv::zip_writer
