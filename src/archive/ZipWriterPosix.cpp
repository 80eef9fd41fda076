#include "archive/ZipWriterParts.h"

namespace zorv::zip_writer {

std::optional<std::tm> LocalTime(std::time_t moment) {
    std::tm local{};
    if (localtime_r(&moment, &local) == nullptr) return std::nullopt;
    return local;
}

}  // namespace zorv::zip_writer
