#include "tools/zorv-pack/UrlSpaceAdvice.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <system_error>

namespace zorv {

namespace fs = std::filesystem;

namespace {

// Only the start of each file is read: enough for the script tags and imports of real pages.
constexpr std::streamsize ScannedBytes = 256 * 1024;

std::string LowerExtension(const fs::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::string ReadStart(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string text(static_cast<std::size_t>(ScannedBytes), '\0');
    in.read(text.data(), ScannedBytes);
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

}  // namespace

bool TUrlSpaceAdvice::TextNeedsHttpsSpace(const std::string& text) {
    static const std::regex uses(
        R"(type\s*=\s*["']?module|\bimport\s*\(|\bfetch\s*\(|new\s+(Shared)?Worker\s*\(|\bimport\s+[\w{*][^;]*\bfrom\s*["'])",
        std::regex::icase);
    return std::regex_search(text, uses);
}

bool TUrlSpaceAdvice::NeedsHttpsSpace(const fs::path& appDir) {
    std::error_code error;
    for (fs::recursive_directory_iterator it(appDir, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        const std::string extension = LowerExtension(it->path());
        if (extension == ".mjs") return true;
        if ((extension == ".html" || extension == ".htm" || extension == ".js") &&
            TextNeedsHttpsSpace(ReadStart(it->path())))
            return true;
    }
    return false;
}

std::vector<std::string> TUrlSpaceAdvice::Warnings(const std::string& urlSpace, const fs::path& appDir) {
    std::vector<std::string> warnings;
    std::string lowered = urlSpace;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lowered != "https" && NeedsHttpsSpace(appDir)) {
        warnings.push_back(
            "the application uses module scripts, fetch or workers of its own files, which Windows "
            "refuses to file:/// pages; set \"UrlSpace=https\" in zorv.ini");
    }
    return warnings;
}

}  // namespace zorv
