#include "backends/gtk/GtkStartupHost.h"

#include "backends/gtk/FlockInstanceLock.h"
#include "backends/gtk/MessageDialog.h"
#include "backends/gtk/PasswordDialog.h"
#include "platform/OperatingSystem.h"
#include "shared/ExeUtils.h"
#include "shared/LocalizedMessages.h"

namespace zorv {

TGtkStartupHost::TGtkStartupHost(IOperatingSystem& operatingSystem) : FOperatingSystem(operatingSystem) {}

std::unique_ptr<IByteSource> TGtkStartupHost::OpenAppendedArchive() {
    TExeUtils exe;
    if (!exe.ExeHasAttachedStub()) return nullptr;
    return exe.OpenZipInExe();
}

void TGtkStartupHost::ShowStartupMessage(const TStartupMessage& message) {
    const std::string language = TLocalizedMessages::GetUserLanguageCode();
    TLocalizedDialog dialog;
    dialog.caption = TLocalizedMessages::GetLocalizedMessage(message.title, language);
    dialog.text = TLocalizedMessages::GetLocalizedMessage(message.text, language);
    dialog.kind = TDialogKind::Error;
    dialog.buttons = {{TLocalizedMessages::GetLocalizedMessage(message.button, language), DialogResultYes}};
    TMessageDialog().Show(dialog);
}

void TGtkStartupHost::ShowFatalError(const std::string& title, const std::string& text) {
    TMessageDialog().LocalizedMessageDlg(text, TDialogKind::Error, {TMsgDlgBtn::OK}, {}, title);
}

std::string TGtkStartupHost::LocalAppDataDir() { return FOperatingSystem.GetLocalAppDataDirPath(); }

bool TGtkStartupHost::AskPassword(const std::string& caption, const std::string& password) {
    return TPasswordDialog(caption, password).ShowModal() == TPasswordDialog::ResultAccepted;
}

TInstanceLockResult TGtkStartupHost::AcquireInstanceLock(const std::string& appID, const std::string& appDataDir) {
    return TFlockInstanceLock::Acquire(appID, appDataDir);
}

}  // namespace zorv
