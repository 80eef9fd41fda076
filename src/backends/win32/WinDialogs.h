#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "platform/Dialogs.h"

namespace zorv {

// The system's common file dialogs and a plain message box, each owned by the window that is
// active when it opens. Every call stands on its own: a dialog opened while another is still
// showing (from a nested message loop) does not disturb it.
class TWinDialogs final : public IDialogs {
public:
    // `messageTitle` is the title of ShowMessage's box; empty gives the program's file name.
    explicit TWinDialogs(std::string messageTitle = {});

    std::optional<std::string> ShowOpenDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> ShowSaveDialog(const TFileDialogOptions& options) override;
    void ShowMessage(const std::string& text) override;

    // The filter list of the dialogs: display name and mask pairs, each ended by a zero, and the
    // whole list by a second zero. Empty for no file types.
    static std::wstring BuildFilter(const std::vector<TFileType>& fileTypes);

private:
    std::optional<std::string> ShowFileDialog(const TFileDialogOptions& options, TFileDialogKind kind);
    std::wstring FMessageTitle;
};

}  // namespace zorv
