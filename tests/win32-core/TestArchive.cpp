#include "TestArchive.h"

#include <windows.h>

#include <fstream>
#include <iterator>

#include "backends/win32/WinText.h"
#include "shared/Utf8Path.h"

namespace zorv::test {

std::string ProgramDir() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string dir = TWinText::WideToUtf8(path);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::string DataDir() { return ProgramDir() + "win32-core-data\\"; }

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(Utf8Path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::unique_ptr<TAbZipKit> OpenTestArchive() {
    auto zip = std::make_unique<TAbZipKit>();
    zip->SetPassword(ZORV_ARCHIVE_PASSWORD);
    zip->LoadFromMemory(ReadFileBytes(DataDir() + "app.zip"));
    return zip;
}

}  // namespace zorv::test
