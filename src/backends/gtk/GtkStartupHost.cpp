#include "backends/gtk/GtkStartupHost.h"

#include <gtk/gtk.h>

#include "backends/gtk/FlockInstanceLock.h"
#include "platform/OperatingSystem.h"
#include "shared/ExeUtils.h"
#include "shared/LocalizedMessages.h"

namespace zorv {

namespace {

void ShowMessageBox(const std::string& title, const std::string& text, const std::string& button) {
    GtkWidget* dialog =
        gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_NONE, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
    gtk_dialog_add_button(GTK_DIALOG(dialog), button.c_str(), GTK_RESPONSE_ACCEPT);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

}  // namespace

TGtkStartupHost::TGtkStartupHost(IOperatingSystem& operatingSystem) : FOperatingSystem(operatingSystem) {}

std::optional<std::string> TGtkStartupHost::ReadAppendedArchive() {
    TExeUtils exe;
    if (!exe.ExeHasAttachedStub()) return std::nullopt;
    std::string archive;
    if (!exe.GetZipFromExe(archive)) return std::nullopt;
    return archive;
}

void TGtkStartupHost::ShowStartupMessage(const TStartupMessage& message) {
    const std::string language = TLocalizedMessages::GetUserLanguageCode();
    ShowMessageBox(TLocalizedMessages::GetLocalizedMessage(message.title, language),
                   TLocalizedMessages::GetLocalizedMessage(message.text, language),
                   TLocalizedMessages::GetLocalizedMessage(message.button, language));
}

void TGtkStartupHost::ShowFatalError(const std::string& title, const std::string& text) {
    ShowMessageBox(title, text, "OK");
}

void TGtkStartupHost::ApplyStartupTheme(const std::string& name) {
    if (OnApplyTheme) OnApplyTheme(name);
}

std::string TGtkStartupHost::LocalAppDataDir() {
    return FOperatingSystem.GetLocalAppDataDirPath();
}

bool TGtkStartupHost::AskPassword(const std::string& caption, const std::string& password) {
    return OnAskPassword && OnAskPassword(caption, password);
}

TInstanceLockResult TGtkStartupHost::AcquireInstanceLock(const std::string& appID, const std::string& appDataDir) {
    return TFlockInstanceLock::Acquire(appID, appDataDir);
}

}  // namespace zorv
