#pragma once
#include <filesystem>
#include <string>

#include "shared/Result.h"

namespace zorv {

// The desktop entry of a packaged Linux application: OUTPUT.desktop and OUTPUT.png written beside
// the packaged executable OUTPUT, so that the desktop's application menu can list it once the
// entry is copied into ~/.local/share/applications. The icon is the PNG that "Icon=" in [App]
// names (relative to the project), or a default one.
class TDesktopEntry {
public:
    // Reads the icon the project asks for; fails when it is missing or no PNG.
    TStatus Load(const std::filesystem::path& projectDir, const std::string& appName);
    // Writes the entry and the icon beside `exePath`.
    TStatus WriteBeside(const std::filesystem::path& exePath);

    // The entry's text for an executable at an absolute path. The window class is the program
    // name the toolkit takes from the executable's file name.
    static std::string Text(const std::string& appName, const std::filesystem::path& exePath,
                            const std::filesystem::path& iconPath);
    static std::filesystem::path EntryPath(const std::filesystem::path& exePath);
    static std::filesystem::path IconPath(const std::filesystem::path& exePath);

private:
    std::string FAppName;
    std::string FIconBytes;
};

}  // namespace zorv
