#include "backends/gtk/GtkStartupHost.h"

#include "backends/gtk/FlockInstanceLock.h"
#include "backends/gtk/MessageDialog.h"
#include "backends/gtk/PasswordDialog.h"
#include "platform/OperatingSystem.h"
#include "shared/ExeUtils.h"
#include "shared/LocalizedMessages.h"

namespace zorv {

TGtkStartupHost::TGtkStartupHost(IOperatingSystem& operatingSystem) : FOperatingSystem(operatingSystem) {}

TResult<std::unique_ptr<IByteSource>> TGtkStartupHost::OpenAppendedArchive() {
    TExeUtils exe;
    if (!exe.ExeHasAttachedStub()) return std::unique_ptr<IByteSource>();
    TResult<std::unique_ptr<TFileRegion>> region = exe.OpenZipInExe();
    if (!region) return Failure(region.Error());
    return std::unique_ptr<IByteSource>(std::move(region).Value());
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
