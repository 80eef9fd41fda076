#include "backends/gtk/PasswordDialog.h"

#include <gtk/gtk.h>

#include <utility>

namespace zorv {

TPasswordDialog::TPasswordDialog(const std::string& caption, std::string password)
    : FPassword(std::move(password)), FDialog(SinkWidget(gtk_dialog_new())), FPasswordEdit(gtk_entry_new()) {
    GtkWindow* window = GTK_WINDOW(FDialog.get());
    gtk_window_set_title(window, caption.c_str());
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_default_size(window, 308, 71);

    GtkEntry* edit = GTK_ENTRY(FPasswordEdit);
    gtk_entry_set_visibility(edit, FALSE);
    gtk_entry_set_invisible_char(edit, '*');
    gtk_entry_set_input_purpose(edit, GTK_INPUT_PURPOSE_PASSWORD);
    gtk_entry_set_icon_from_icon_name(edit, GTK_ENTRY_ICON_PRIMARY, "dialog-password-symbolic");
    // Enter does nothing: there is no default response to activate.
    gtk_entry_set_activates_default(edit, FALSE);
    gtk_widget_set_size_request(FPasswordEdit, 257, -1);
    gtk_widget_set_margin_start(FPasswordEdit, 24);
    gtk_widget_set_margin_end(FPasswordEdit, 27);
    gtk_widget_set_margin_top(FPasswordEdit, 24);
    gtk_widget_set_margin_bottom(FPasswordEdit, 24);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(FDialog.get()))), FPasswordEdit);
    g_signal_connect(FPasswordEdit, "key-release-event", G_CALLBACK(OnKeyRelease), this);
    gtk_widget_show(FPasswordEdit);
    gtk_widget_grab_focus(FPasswordEdit);
}

TPasswordDialog::~TPasswordDialog() = default;

int TPasswordDialog::OnKeyRelease(GtkWidget* edit, void*, TPasswordDialog* self) {
    if (self->FPassword == gtk_entry_get_text(GTK_ENTRY(edit)))
        gtk_dialog_response(GTK_DIALOG(self->FDialog.get()), ResultAccepted);
    return FALSE;
}

int TPasswordDialog::ShowModal() {
    const int response = gtk_dialog_run(GTK_DIALOG(FDialog.get()));
    gtk_widget_hide(FDialog.get());
    return response == ResultAccepted ? ResultAccepted : ResultClosed;
}

}  // namespace zorv
