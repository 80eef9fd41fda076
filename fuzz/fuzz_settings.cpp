// zorv.ini as an author (or anyone editing a packaged file) could write it: every encoding,
// every line shape, every typed read of every key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shared/MemIniFile.h"
#include "shared/ProjectSettings.h"

namespace {

// Keys the runtime reads, plus names a file may hold in odd spellings.
constexpr const char* Keys[] = {"ID",
                                "Name",
                                "DirName",
                                "IndexHtml",
                                "Theme",
                                "AllowInstances",
                                "EdgeInstaller",
                                "InstallFormColor",
                                "Password",
                                "Width",
                                "WindowBorder",
                                "",
                                "a",
                                "=",
                                " x "};
constexpr const char* Sections[] = {"App", "app", "", " App "};

void ReadEveryType(const zorv::TMemIniFile& ini) {
    for (const char* section : Sections) {
        for (const char* key : Keys) {
            const std::string text = ini.ReadString(section, key, "\x01");
            const int32_t number = ini.ReadInteger(section, key, 12345);
            ini.ReadBool(section, key, true);
            // A value that parses as a number reads as that number; anything else as the default.
            const auto parsed = zorv::TMemIniFile::ParseInteger(text);
            if (text != "\x01" && parsed && number != *parsed) std::abort();
            // A key that does not exist reads as the default.
            if (!ini.ValueExists(section, key) && (text != "\x01" || number != 12345)) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zorv::TMemIniFile ini;
    ini.SetText(bytes);
    ReadEveryType(ini);
    const zorv::TProjectSettings settings = zorv::TProjectSettings::Read(ini);
    settings.installFormColor.ToHtmlColor();

    // The same bytes through a legacy decoder that passes them on unchanged (not UTF-8).
    ini.SetText(bytes, [](std::string_view text) { return std::string(text); });
    ReadEveryType(ini);
    zorv::TMemIniFile::ParseInteger(bytes);
    return 0;
}
