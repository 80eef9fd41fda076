#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

typedef struct _GtkWindow GtkWindow;
typedef struct _GtkFileFilter GtkFileFilter;

namespace zorv {

// File dialogs through GtkFileChooserNative (the desktop portal where there is one) and the
// plain message box, each modal on the window that is active when it opens.
class TGtkDialogs final : public IDialogs {
public:
    using TActiveWindow = std::function<GtkWindow*()>;

    // Without a getter the dialogs find the active top-level window themselves.
    explicit TGtkDialogs(TActiveWindow activeWindow = {});

    std::optional<std::string> ShowOpenDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> ShowSaveDialog(const TFileDialogOptions& options) override;
    void ShowMessage(const std::string& text) override;

    // A GTK filter for one file type. The mask matches names as Windows masks do: regardless of
    // ASCII letter case ("*.jpg" lists PHOTO.JPG), and a trailing ".*" also matches names without
    // an extension ("*.*" lists every file). The caller owns the (floating) filter.
    static GtkFileFilter* MakeFilter(const TFileType& fileType);
    static std::string CaseInsensitivePattern(const std::string& mask);

private:
    static std::vector<std::string> FilterPatterns(const std::string& mask);
    std::optional<std::string> RunFileChooser(TFileDialogKind kind, const TFileDialogOptions& options);
    GtkWindow* ActiveWindow() const;

    TActiveWindow FActiveWindow;
    // While a dialog of a kind is open (its nested loop may dispatch another call), a second
    // call of that kind is answered as cancelled instead of stacking a second dialog.
    bool FOpenDialogRunning = false;
    bool FSaveDialogRunning = false;
};

}  // namespace zorv
