#include "archive/ZipWriterParts.h"

namespace zorv::zip_writer {

std::optional<std::tm> LocalTime(std::time_t moment) {
    std::tm local{};
    if (localtime_s(&local, &moment) != 0) return std::nullopt;
    return local;
}

}  // namespace zorv::zip_writer
