#pragma once
#include <optional>
#include <string>
#include <vector>

namespace zorv {

struct TFileType {
    std::string displayName;
    std::string mask;  // one pattern, such as "*.txt"
    bool operator==(const TFileType&) const = default;
};

// Which of the two file dialogs a request is for.
enum class TFileDialogKind { Open, Save };

struct TFileDialogOptions {
    std::string title;     // empty: the system's own default title
    std::string fileName;  // initial text of the file-name box
    std::vector<TFileType> fileTypes;
    bool overwritePrompt = false;  // save dialog only
};

// Modal dialogs owned by the active window. They may run a nested message loop.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    // The chosen full path, or nothing when the user cancels.
    virtual std::optional<std::string> ShowOpenDialog(const TFileDialogOptions& options) = 0;
    virtual std::optional<std::string> ShowSaveDialog(const TFileDialogOptions& options) = 0;
    // A modal box with the text and a single OK button.
    virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace zorv
