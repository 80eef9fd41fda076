#include "backends/gtk/PasswordDialog.h"

#include <gtk/gtk.h>

#include <utility>

namespace zorv {

TPasswordDialog::TPasswordDialog(const std::string& caption, std::string password)
    : password_(std::move(password)), dialog_(gtk_dialog_new()), passwordEdit_(gtk_entry_new()) {
    g_object_ref_sink(dialog_);
    GtkWindow* window = GTK_WINDOW(dialog_);
    gtk_window_set_title(window, caption.c_str());
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_default_size(window, 308, 71);

    GtkEntry* edit = GTK_ENTRY(passwordEdit_);
    gtk_entry_set_visibility(edit, FALSE);
    gtk_entry_set_invisible_char(edit, '*');
    gtk_entry_set_input_purpose(edit, GTK_INPUT_PURPOSE_PASSWORD);
    gtk_entry_set_icon_from_icon_name(edit, GTK_ENTRY_ICON_PRIMARY, "dialog-password-symbolic");
    // Enter does nothing: there is no default response to activate.
    gtk_entry_set_activates_default(edit, FALSE);
    gtk_widget_set_size_request(passwordEdit_, 257, -1);
    gtk_widget_set_margin_start(passwordEdit_, 24);
    gtk_widget_set_margin_end(passwordEdit_, 27);
    gtk_widget_set_margin_top(passwordEdit_, 24);
    gtk_widget_set_margin_bottom(passwordEdit_, 24);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog_))), passwordEdit_);
    g_signal_connect(passwordEdit_, "key-release-event", G_CALLBACK(OnKeyRelease), this);
    gtk_widget_show(passwordEdit_);
    gtk_widget_grab_focus(passwordEdit_);
}

TPasswordDialog::~TPasswordDialog() {
    gtk_widget_destroy(dialog_);
    g_object_unref(dialog_);
}

int TPasswordDialog::OnKeyRelease(GtkWidget* edit, void*, TPasswordDialog* self) {
    if (self->password_ == gtk_entry_get_text(GTK_ENTRY(edit)))
        gtk_dialog_response(GTK_DIALOG(self->dialog_), ResultAccepted);
    return FALSE;
}

int TPasswordDialog::ShowModal() {
    const int response = gtk_dialog_run(GTK_DIALOG(dialog_));
    gtk_widget_hide(dialog_);
    return response == ResultAccepted ? ResultAccepted : ResultClosed;
}

}  // namespace zorv
