// An archive appended to the executable, as anyone could have written it: opening it and
// extracting every entry must end in an entry, a clean failure or an EAbException, never in a
// crash, a hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/AbZipKit.h"

namespace {

void ExtractEveryEntry(const zorv::TAbZipKit& kit) {
    for (int i = 0; i < kit.Count(); ++i) {
        const std::string name = kit.Item(i).fileName;
        if (kit.FindFile(name) < 0) std::abort();  // a listed name must be found again

        std::string checked;
        const zorv::TAbExtractStatus status = kit.TryExtract(name, checked);
        if (status != zorv::TAbExtractStatus::Ok && !checked.empty()) std::abort();

        std::string plain = "prefix";
        kit.ExtractToStream(name, plain);
        // ExtractToStream appends exactly what TryExtract gives, or nothing at all.
        if (plain != "prefix" + (status == zorv::TAbExtractStatus::Ok ? checked : std::string())) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    zorv::TAbZipKit kit;
    kit.SetPassword(zorv::ZORV_ARCHIVE_PASSWORD);
    try {
        kit.LoadFromMemory(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const zorv::EAbException&) {
        return 0;
    }
    ExtractEveryEntry(kit);
    kit.FindFile("app/index.html");
    return 0;
}
