#include <windows.h>

#include <algorithm>

#include "shared/InputFile.h"
#include "shared/Utf8Path.h"
#include "shared/Win32Handles.h"

namespace zorv {

struct TInputFile::TImpl {
    TFileHandle file;
};

namespace {

std::string ErrorText(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return "The file does not exist.";
        case ERROR_ACCESS_DENIED: return "Access is denied.";
        case ERROR_SHARING_VIOLATION: return "Another program is using the file.";
        default: return "Error " + std::to_string(code) + ".";
    }
}

}  // namespace

TInputFile::TInputFile(std::unique_ptr<TImpl> impl) : FImpl(std::move(impl)) {}

TInputFile::~TInputFile() = default;

TResult<std::unique_ptr<TInputFile>> TInputFile::Open(const std::string& path) {
    auto impl = std::make_unique<TImpl>();
    // The sharing a C runtime grants for reading: others may read and write the file meanwhile.
    impl->file.Reset(::CreateFileW(Utf8Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!impl->file) return Failure("Cannot open file \"" + path + "\". " + ErrorText(::GetLastError()));
    return std::unique_ptr<TInputFile>(new TInputFile(std::move(impl)));
}

bool TInputFile::Seek(uint64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(FImpl->file.Get(), to, nullptr, FILE_BEGIN) != 0;
}

TResult<std::size_t> TInputFile::Read(char* buffer, std::size_t size) {
    const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(FImpl->file.Get(), buffer, asked, &got, nullptr)) return Failure(ErrorText(::GetLastError()));
    return static_cast<std::size_t>(got);
}

}  // namespace zorv
