#include "backends/gtk/MessageDialog.h"

#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <memory>

#include "backends/gtk/GLibOwned.h"

namespace zorv {

namespace {

bool HasCancelButton(const TLocalizedDialog& dialog) {
    return std::any_of(dialog.buttons.begin(), dialog.buttons.end(),
                       [](const TDialogButton& button) { return button.result == DialogResultCancel; });
}

// Esc closes the dialog only when it has a Cancel button, as with the Windows message box.
gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer hasCancel) {
    return event->keyval == GDK_KEY_Escape && hasCancel == nullptr;
}

}  // namespace

TMessageDialog::TMessageDialog(GtkWindow* parent) : FParent(parent) {}

int TMessageDialog::ResultOf(TMsgDlgBtn button) {
    switch (button) {
        case TMsgDlgBtn::Yes: return 6;
        case TMsgDlgBtn::No: return 7;
        case TMsgDlgBtn::OK: return 1;
        case TMsgDlgBtn::Cancel: return 2;
        case TMsgDlgBtn::Abort: return 3;
        case TMsgDlgBtn::Retry: return 4;
        case TMsgDlgBtn::Ignore: return 5;
        case TMsgDlgBtn::Close: return 8;
    }
    return 0;
}

std::string TMessageDialog::StandardCaption(TMsgDlgBtn button) {
    switch (button) {
        case TMsgDlgBtn::Yes: return "Yes";
        case TMsgDlgBtn::No: return "No";
        case TMsgDlgBtn::OK: return "OK";
        case TMsgDlgBtn::Cancel: return "Cancel";
        case TMsgDlgBtn::Abort: return "Abort";
        case TMsgDlgBtn::Retry: return "Retry";
        case TMsgDlgBtn::Ignore: return "Ignore";
        case TMsgDlgBtn::Close: return "Close";
    }
    return {};
}

int TMessageDialog::LocalizedMessageDlg(const std::string& msg, TDialogKind kind, std::vector<TMsgDlgBtn> buttons,
                                        const std::vector<std::string>& captions, const std::string& caption) {
    std::sort(buttons.begin(), buttons.end());
    buttons.erase(std::unique(buttons.begin(), buttons.end()), buttons.end());
    TLocalizedDialog dialog;
    dialog.caption = caption;
    dialog.text = msg;
    dialog.kind = kind;
    for (size_t i = 0; i < buttons.size(); ++i)
        dialog.buttons.push_back(
            {i < captions.size() ? captions[i] : StandardCaption(buttons[i]), ResultOf(buttons[i])});
    auto has = [&](TMsgDlgBtn b) { return std::find(buttons.begin(), buttons.end(), b) != buttons.end(); };
    const int defaultResult = has(TMsgDlgBtn::OK)    ? ResultOf(TMsgDlgBtn::OK)
                              : has(TMsgDlgBtn::Yes) ? ResultOf(TMsgDlgBtn::Yes)
                              : buttons.empty()      ? 0
                                                     : ResultOf(buttons[0]);
    return Run(dialog, defaultResult);
}

int TMessageDialog::Show(const TLocalizedDialog& dialog) {
    return Run(dialog, dialog.buttons.empty() ? 0 : dialog.buttons[0].result);
}

int TMessageDialog::Run(const TLocalizedDialog& dialog, int defaultResult) {
    const GtkMessageType type = dialog.kind == TDialogKind::Error ? GTK_MESSAGE_ERROR : GTK_MESSAGE_QUESTION;
    TTopLevelOwned widget(
        gtk_message_dialog_new(FParent, GTK_DIALOG_MODAL, type, GTK_BUTTONS_NONE, "%s", dialog.text.c_str()));
    GtkWindow* window = GTK_WINDOW(widget.get());
    gtk_window_set_title(window, dialog.caption.c_str());
    gtk_window_set_position(window, FParent != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(window, FALSE);
    // GTK 3 no longer draws the message type's icon by itself; the start-up messages need it.
    GtkWidget* icon = gtk_image_new_from_icon_name(
        dialog.kind == TDialogKind::Error ? "dialog-error" : "dialog-question", GTK_ICON_SIZE_DIALOG);
    gtk_widget_show(icon);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(window), icon);
    G_GNUC_END_IGNORE_DEPRECATIONS

    GtkWidget* defaultButton = nullptr;
    for (const TDialogButton& button : dialog.buttons) {
        // Captions are shown as they are: no underscore mnemonics.
        GtkWidget* made = gtk_button_new_with_label(button.caption.c_str());
        gtk_widget_set_can_default(made, TRUE);
        gtk_widget_show(made);
        gtk_dialog_add_action_widget(GTK_DIALOG(window), made, button.result);
        if (defaultButton == nullptr && button.result == defaultResult) defaultButton = made;
    }
    if (defaultButton != nullptr) {
        gtk_widget_grab_default(defaultButton);
        gtk_widget_grab_focus(defaultButton);
    }
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress),
                     HasCancelButton(dialog) ? GINT_TO_POINTER(1) : nullptr);

    const int response = gtk_dialog_run(GTK_DIALOG(window));
    return response > 0 ? response : dialog.closeResult;
}

}  // namespace zorv
