#pragma once
#include <string>
#include <vector>

#include "shared/LocalizedMessages.h"

typedef struct _GtkWindow GtkWindow;

namespace zorv {

// The standard buttons of a message dialog, in the order the dialog lays them out.
enum class TMsgDlgBtn { Yes, No, OK, Cancel, Abort, Retry, Ignore, Close };

// A modal message box whose title and button captions come from the caller, as the start-up
// messages need them: the kind's icon, the text, one button per entry. It answers the result
// code of the pressed button, or the dialog's close result when it is closed by its frame
// (or by Esc, when it has a Cancel button).
class TMessageDialog {
public:
    // `parent` may be null: the dialog is then centred on the screen.
    explicit TMessageDialog(GtkWindow* parent = nullptr);

    int Show(const TLocalizedDialog& dialog);

    // The dialog of standard buttons: `buttons` laid out in their fixed order, the n-th of them
    // captioned with the n-th entry of `captions` while entries remain. The default button is
    // OK when present, else the first one.
    int LocalizedMessageDlg(const std::string& msg, TDialogKind kind, std::vector<TMsgDlgBtn> buttons,
                            const std::vector<std::string>& captions, const std::string& caption);

    // The Windows result code of a standard button (Yes 6, No 7, OK 1, Cancel 2, ...).
    static int ResultOf(TMsgDlgBtn button);
    // The caption a standard button has when none is given.
    static std::string StandardCaption(TMsgDlgBtn button);

private:
    int Run(const TLocalizedDialog& dialog, int defaultResult);

    GtkWindow* FParent;
};

}  // namespace zorv
