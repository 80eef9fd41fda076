#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace zorv {

// What zorv-pack tells an author about the app URL space (the project check reports an unknown
// `UrlSpace` value): an application that needs the https space on Windows (module scripts, dynamic imports, fetch or
// workers of its own files, which WebView2 refuses to file:/// pages) while it asks for file.
class TUrlSpaceAdvice {
public:
    TUrlSpaceAdvice() = delete;
    static std::vector<std::string> Warnings(const std::string& urlSpace, const std::filesystem::path& appDir);
    // Whether a page or script of the folder uses what file:/// pages cannot load on Windows.
    static bool NeedsHttpsSpace(const std::filesystem::path& appDir);
    static bool TextNeedsHttpsSpace(const std::string& text);
};

}  // namespace zorv
