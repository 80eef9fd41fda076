#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shared/Result.h"

namespace zorv {

// A project folder as `zorv-pack build` takes it: "zorv.ini", the application folder named by
// its DirName, and the optional support files. Validates it and writes its packaged archive.
class TProjectPacker {
public:
    using TWarning = std::function<void(const std::string& message)>;

    // Reads and checks the project; fails with every error, one per line, when it cannot be
    // packed. The problems it can be packed with go to OnWarning.
    TStatus Load(const std::filesystem::path& projectDir);
    // Writes the encrypted archive of the loaded project to `zipPath`.
    TStatus WriteArchive(const std::filesystem::path& zipPath);

    const std::string& AppId() const { return FAppId; }
    const std::string& AppName() const { return FAppName; }
    const std::string& AppDirName() const { return FAppDirName; }
    std::size_t EntryCount() const { return FEntryCount; }
    // Told about files that are left out (special files, links to folders).
    TWarning OnWarning;

    // The bytes "zorv.ini" is packed as when they differ from the file's: a file that is not
    // UTF-8 (UTF-16, or text in a legacy code page, read as this system's ANSI page like the
    // settings check reads it) becomes its UTF-8 text with a byte-order mark, so that the end
    // user's code page never changes what the application is called or its password. Nothing for
    // a UTF-8 file, with or without its mark.
    static std::optional<std::string> SettingsAsUtf8(std::string_view bytes);

    // Files beside "zorv.ini" that go into the archive when present.
    static const char* const OptionalFiles[3];

private:
    std::filesystem::path FProjectDir;
    std::string FAppId, FAppName, FAppDirName;
    std::size_t FEntryCount = 0;
};

}  // namespace zorv
