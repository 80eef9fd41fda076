#include <windows.h>

#include "shared/FailureSink.h"

namespace zorv {

void TFailureSink::WriteTraceLine(const std::string& line) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), length);
    OutputDebugStringW(wide.c_str());
}

}  // namespace zorv
