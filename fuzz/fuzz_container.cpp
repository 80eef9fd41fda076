// A packaged executable as anyone could have altered it: the image's own headers say where the
// image ends (PE section table, ELF section and program headers), and whatever follows is opened
// as the archive, as start-up does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "archive/AbZipKit.h"
#include "shared/ExeUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zorv::TExeUtils::ImageKind([bytes](uint64_t offset, void* target, std::size_t length) {
        if (offset > bytes.size() || bytes.size() - offset < length) return false;
        bytes.copy(static_cast<char*>(target), length, offset);
        return true;
    });
    const std::optional<uint64_t> stubSize = zorv::TExeUtils::StubSizeOfBytes(bytes);
    if (!stubSize || *stubSize >= bytes.size()) return 0;  // nothing appended: start-up ends there

    zorv::TAbZipKit kit;
    kit.SetPassword(zorv::ZORV_ARCHIVE_PASSWORD);
    try {
        kit.LoadFromMemory(std::string(bytes.substr(*stubSize)));
    } catch (const zorv::EAbException&) {
        return 0;
    }
    std::string ini;
    kit.ExtractToStream("zorv.ini", ini);
    return 0;
}
