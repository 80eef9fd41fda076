#include "shared/ProtectedFolders.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace zorv {
namespace {

// An absolute path taken apart: what it hangs from ("/", "c:", "\\server\share") and the folder
// names below that.
struct TFolderPath {
    std::string root;
    std::vector<std::string> steps;
};

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool StartsWithDrive(std::string_view text) {
    return text.size() >= 2 && text[0] >= 'a' && text[0] <= 'z' && text[1] == ':';
}

std::string_view NextStep(std::string_view& rest, char separator) {
    const std::size_t end = rest.find(separator);
    const std::string_view step = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return step;
}

std::string_view WithoutTrailing(std::string_view text, const char* characters) {
    return text.substr(0, text.find_last_not_of(characters) + 1);
}

// Adds the steps of `rest` as the system resolves them: empty and "." steps stay where they are,
// ".." goes up but never above the root. Windows drops trailing spaces and dots from a name, so
// ".. " goes up and "..." and " " name the folder they are in.
void AddSteps(TFolderPath& path, std::string_view rest, TPathStyle style) {
    const bool windows = style == TPathStyle::Windows;
    const char separator = windows ? '\\' : '/';
    while (!rest.empty()) {
        std::string_view step = NextStep(rest, separator);
        if (windows) step = WithoutTrailing(step, " ");
        if (step == "..") {
            if (!path.steps.empty()) path.steps.pop_back();
            continue;
        }
        if (windows) step = WithoutTrailing(step, ". ");
        if (step.empty() || step == ".") continue;
        path.steps.emplace_back(step);
    }
}

std::optional<TFolderPath> ParsePosix(std::string_view path) {
    if (path.empty() || path[0] != '/') return std::nullopt;
    TFolderPath parsed{"/", {}};
    AddSteps(parsed, path, TPathStyle::Posix);
    return parsed;
}

std::optional<TFolderPath> ParseWindows(const std::string& spelled) {
    std::string folded = AsciiLower(spelled);
    std::replace(folded.begin(), folded.end(), '/', '\\');
    std::string_view rest = folded;
    bool share = false;
    if (rest.starts_with("\\\\?\\") || rest.starts_with("\\\\.\\") || rest.starts_with("\\??\\")) {
        rest.remove_prefix(4);
        share = rest.starts_with("unc\\");
        if (share) rest.remove_prefix(4);
        // Volumes, disks and other devices: their roots have no fixed shape.
        else if (!StartsWithDrive(rest))
            return std::nullopt;
    } else if (rest.starts_with("\\\\")) {
        rest.remove_prefix(2);
        share = true;
    }
    TFolderPath parsed;
    if (share) {
        const std::string_view server = NextStep(rest, '\\');
        const std::string_view name = NextStep(rest, '\\');
        if (server.empty() || name.empty()) return std::nullopt;
        parsed.root = "\\\\" + std::string(server) + "\\" + std::string(name);
    } else {
        // Anything but "X:\..." is relative to a current folder or drive.
        if (!StartsWithDrive(rest) || (rest.size() > 2 && rest[2] != '\\')) return std::nullopt;
        parsed.root = std::string(rest.substr(0, 2));
        rest.remove_prefix(2);
    }
    // A colon after the root names a stream of a file or folder, which can stand for the folder.
    if (rest.find(':') != std::string_view::npos) return std::nullopt;
    AddSteps(parsed, rest, TPathStyle::Windows);
    return parsed;
}

std::optional<TFolderPath> Parse(const std::string& path, TPathStyle style) {
    return style == TPathStyle::Windows ? ParseWindows(path) : ParsePosix(path);
}

// True when `folder` is `other` or one of the folders that hold it.
bool HoldsOrIs(const TFolderPath& folder, const TFolderPath& other) {
    return folder.root == other.root && folder.steps.size() <= other.steps.size() &&
           std::equal(folder.steps.begin(), folder.steps.end(), other.steps.begin());
}

}  // namespace

bool IsProtectedFolder(const std::string& fullPath, const std::string& home, TPathStyle style) {
    const std::optional<TFolderPath> folder = Parse(fullPath, style);
    if (!folder || folder->steps.empty()) return true;
    const std::optional<TFolderPath> homeFolder = Parse(home, style);
    return homeFolder && HoldsOrIs(*folder, *homeFolder);
}

}  // namespace zorv
