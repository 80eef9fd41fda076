#include <windows.h>

#include <cstring>
#include <filesystem>

#include "shared/ExeUtils.h"
#include "shared/ExeUtilsParts.h"
#include "shared/Utf8Path.h"

namespace zorv {

namespace exe_utils {

TFilePtr OpenFile(const std::string& path, const char* mode) {
    const std::wstring widePath = Utf8Path(path).wstring();
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return TFilePtr(_wfopen(widePath.c_str(), wideMode.c_str()));
}

bool SeekTo(std::FILE* file, uint64_t offset) { return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0; }

bool SeekToEnd(std::FILE* file) { return _fseeki64(file, 0, SEEK_END) == 0; }

std::string RunningImagePath() { return TExeUtils::RunningExePath(); }

}  // namespace exe_utils

std::string TExeUtils::RunningExePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::u8string utf8 = std::filesystem::path(path).u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace zorv
