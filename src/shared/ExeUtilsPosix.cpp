#include <filesystem>
#include <system_error>

#include "shared/ExeUtils.h"
#include "shared/ExeUtilsParts.h"

namespace zorv {

namespace exe_utils {

TFilePtr OpenFile(const std::string& path, const char* mode) { return TFilePtr(std::fopen(path.c_str(), mode)); }

bool SeekTo(std::FILE* file, uint64_t offset) { return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0; }

bool SeekToEnd(std::FILE* file) { return fseeko(file, 0, SEEK_END) == 0; }

// The kernel's own link to the image, which still opens it after the file was replaced or
// deleted while the program runs.
std::string RunningImagePath() { return "/proc/self/exe"; }

}  // namespace exe_utils

std::string TExeUtils::RunningExePath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

}  // namespace zorv
