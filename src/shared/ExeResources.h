#pragma once
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

// A failure of an executable-resource edit, with a message for the user.
class EExeResourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One image of an icon file: the first 12 bytes of its directory entry (width to image size) and
// its image data.
struct TIconImage {
    std::string directoryEntry;
    std::string data;
};

// Personalises a copy of the runtime executable that is not running: its main icon and the string
// values of its version resource. The edits go through the Windows resource-update services, so
// they work only in a Windows build; elsewhere they raise an error.
class TExeResources {
public:
    TExeResources() = delete;

    static constexpr size_t MaxIconFileSize = 1048576;

    // The images of an ".ico" file; raises "Icon file is invalid" for anything else.
    static std::vector<TIconImage> ParseIconFile(std::string_view bytes);

    // Replaces the icon group "MAINICON" (or adds it) with the images of the icon file. An
    // invalid icon file raises an error before the executable is touched; a failure during the
    // update discards it, so the executable keeps its old resources.
    static void ChangeExeIcon(const std::string& exePath, const std::string& icoPath);

    // Rewrites string values of the version resource in every translation where the key is
    // present; keys absent there stay absent. `values` maps keys of StringKeys() (see
    // TVersionResource) to their new text. False when the file does not exist, has no version
    // resource, or the resource cannot be written.
    static bool UpdateExeVersionStrings(const std::string& exePath, const std::map<std::string, std::string>& values);
    // All eleven values at once, as the packaging tool writes them.
    static bool UpdateExeInfo(const std::string& exePath, const std::string& companyName,
                              const std::string& fileDescription, const std::string& fileVersion,
                              const std::string& internalName, const std::string& legalCopyright,
                              const std::string& legalTrademarks, const std::string& originalFileName,
                              const std::string& programID, const std::string& productName,
                              const std::string& productVersion, const std::string& comments);
};

}  // namespace zorv
