#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "shared/LocalizedMessages.h"

namespace zorv {

class TWinThemeEngine;

// The standard buttons of a message dialog, in the fixed order in which they are shown.
enum class TMsgDlgBtn { Yes, No, OK, Cancel, Abort, Retry, Ignore, Close };

// A modal message dialog: the kind's system icon, the text and one push button per standard
// button. Its title and button captions can be replaced, which is how start-up shows its messages
// in the user's language. Results are the Windows dialog result codes (OK 1, Cancel 2, Abort 3,
// Retry 4, Ignore 5, Yes 6, No 7, Close 8); closing by the window frame answers 2, and Esc
// answers 2 when a Cancel button is shown.
class TMessageDialog {
public:
    TMessageDialog() = delete;

    // The n-th push button gets the n-th caption while captions remain; the others keep their
    // standard captions. The default button is OK when present, otherwise Yes, otherwise the first.
    static int LocalizedMessageDlg(const std::string& msg, TDialogKind dlgType, const std::vector<TMsgDlgBtn>& buttons,
                                   const std::vector<std::string>& buttonCaptions, const std::string& caption,
                                   HWND owner = nullptr, TWinThemeEngine* theme = nullptr);
    // A start-up dialog as TLocalizedMessages describes it.
    static int Show(const TLocalizedDialog& dialog, HWND owner = nullptr, TWinThemeEngine* theme = nullptr);

    static int ResultOf(TMsgDlgBtn button);
    static std::wstring StandardCaption(TMsgDlgBtn button);
};

}  // namespace zorv
