#include "tools/zorv-pack/TempFile.h"

#include <random>

namespace zorv {

TTempFile::TTempFile(const std::filesystem::path& folder, const std::string& suffix) {
    std::mt19937 random(std::random_device{}());
    std::error_code error;
    do {
        FPath = folder / (".zorv-pack-" + std::to_string(random() % 1000000000u) + suffix);
    } while (std::filesystem::exists(FPath, error));
}

TTempFile::~TTempFile() {
    if (FKept) return;
    std::error_code ignored;
    std::filesystem::remove(FPath, ignored);
}

}  // namespace zorv
