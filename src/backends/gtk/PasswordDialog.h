#pragma once
#include <string>

#include "backends/gtk/GLibOwned.h"

namespace zorv {

// The start-up prompt for the application's password: a small fixed dialog with one masked
// input that unlocks as soon as its whole text equals the password, checked on every key
// release. No button, no message, no limit on attempts.
class TPasswordDialog {
public:
    static constexpr int ResultAccepted = 1;
    static constexpr int ResultClosed = 2;

    // `caption` is the application's name.
    TPasswordDialog(const std::string& caption, std::string password);
    ~TPasswordDialog();
    TPasswordDialog(const TPasswordDialog&) = delete;
    TPasswordDialog& operator=(const TPasswordDialog&) = delete;

    // Centred on the screen, modal; ResultAccepted on a match, ResultClosed when closed by
    // its frame.
    int ShowModal();

    GtkWidget* PasswordEdit() const { return FPasswordEdit; }

private:
    static int OnKeyRelease(GtkWidget* edit, void* event, TPasswordDialog* self);

    std::string FPassword;
    TWidgetOwned<> FDialog;
    GtkWidget* FPasswordEdit;
};

}  // namespace zorv
