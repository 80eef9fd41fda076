#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

// The messages the runtime shows before any page exists, in English, Spanish, Italian, German,
// French and Chinese, and the dialogs built from them. Each backend shows a TLocalizedDialog
// with its own message box; everything it says comes from here.
enum class TMessageIndex : int {
    LanguageCode = 0,
    ErrorCaption = 1,
    ConfirmCaption = 2,
    AcceptButton = 3,
    CancelButton = 4,
    NotAValidApplication = 5,
    RuntimeRequiredNoInstall = 6,
    RuntimeRequiredOfferInstall = 7,
    CannotContinue = 8,
    InstallationCancelled = 9,
};

enum class TDialogKind { Error, Confirmation };

// Result codes of the dialog's buttons, as the Windows message box numbers them.
enum TDialogResultCode : int { DialogResultCancel = 2, DialogResultYes = 6 };

struct TDialogButton {
    std::string caption;
    int result = DialogResultYes;
    bool operator==(const TDialogButton&) const = default;
};

struct TLocalizedDialog {
    std::string caption;  // window title
    std::string text;
    TDialogKind kind = TDialogKind::Error;  // selects the icon
    std::vector<TDialogButton> buttons;     // in display order; the first is the default
    // Closing by the window frame, and Esc when a Cancel button exists, answer this.
    int closeResult = DialogResultCancel;
};

class TLocalizedMessages {
public:
    TLocalizedMessages() = delete;

    static constexpr int RowLength = 10;

    // The user's two-letter ISO 639 language code as the system reports it for the default
    // locale ("en", "de"); empty when the system reports none.
    static std::string GetUserLanguageCode();
    // The text with that index from the row of the language; English for any language not in
    // the table. Throws std::out_of_range("MessageIndex is out of range!") for an index
    // outside 0..9.
    static std::string GetLocalizedMessage(int index, std::string_view languageCode);
    static std::string GetLocalizedMessage(TMessageIndex index, std::string_view languageCode);
    // The same for the user's language.
    static std::string GetLocalizedMessage(int index);

    // The dialog for one of the messages 5 to 9: an error box with one Accept button, or for
    // message 7 a confirmation with Accept (6) and Cancel (2).
    static TLocalizedDialog GetLocalizedDialog(TMessageIndex message, std::string_view languageCode);
    static TLocalizedDialog GetLocalizedDialog(TMessageIndex message);
};

}  // namespace zorv
