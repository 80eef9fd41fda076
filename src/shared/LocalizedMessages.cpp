#include "shared/LocalizedMessages.h"

#include <array>
#include <stdexcept>

namespace zorv {

namespace {

using TMessageRow = std::array<const char*, TLocalizedMessages::RowLength>;

const TMessageRow DefaultMessages = {
    "en",
    "Error",
    "Confirm",
    "Accept",
    "Cancel",
    "This is not a valid Windows application.",
    "The Microsoft WebView2 runtime is required to run this application. This application cannot continue and will "
    "be closed now.",
    "The Microsoft WebView2 runtime is required to run this application. Do you want to install it now?",
    "This application cannot continue and will be closed now.",
    "You cancel the installation of Microsoft WebView2 runtime, This application cannot continue and will be closed "
    "now.",
};

// Searched in this order; the first row whose language code matches wins.
const std::array<TMessageRow, 5> LocalizedMessageTables = {{
    {
        "es",
        "Error",
        "Confirmar",
        "Aceptar",
        "Cancelar",
        "Esta no es una aplicación de Windows válida.",
        "El Microsoft WebView2 runtime es necesario para esta aplicación. Esta aplicación no puede continuar y se "
        "cerrará ahora.",
        "El Microsoft WebView2 runtime es necesario para esta aplicación. ¿Quiere instalarlo ahora?",
        "Esta aplicación no puede continuar y se cerrará ahora.",
        "Ha cancelado la instalación de Microsoft WebView2 runtime. Esta aplicación no puede continuar y se cerrará "
        "ahora.",
    },
    {
        "it",
        "Errore",
        "Confermare",
        "Accettare",
        "Annulla",
        "Questa non è un'applicazione Windows valida.",
        "Il runtime di Microsoft WebView2 è necessario per eseguire questa applicazione. Questa applicazione non può "
        "continuare e verrà chiusa ora.",
        "Il runtime di Microsoft WebView2 è necessario per eseguire questa applicazione. Vuoi installarlo ora?",
        "Questa applicazione non può continuare e verrà chiusa ora.",
        "Annulla l'installazione del runtime di Microsoft WebView2, questa applicazione non può continuare e verrà "
        "chiusa ora.",
    },
    {
        "de",
        "Error",
        "Bestätigen",
        "Akzeptieren",
        "Stornieren",
        "Dies ist keine gültige Windows-Anwendung.",
        "Die Microsoft WebView2-Laufzeit ist erforderlich, um diese Anwendung auszuführen. Diese Anwendung kann nicht "
        "fortgesetzt werden und wird jetzt geschlossen.",
        "Die Microsoft WebView2-Laufzeit ist erforderlich, um diese Anwendung auszuführen. Möchten Sie es jetzt "
        "installieren?",
        "Diese Anwendung kann nicht fortgesetzt werden und wird jetzt geschlossen.",
        "Sie brechen die Installation der Microsoft WebView2-Laufzeit ab. Diese Anwendung kann nicht fortgesetzt "
        "werden und wird jetzt geschlossen.",
    },
    {
        "fr",
        "Erreur",
        "Confirmer",
        "J'accepte",
        "Annuler",
        "Ce n'est pas une application Windows valide.",
        "Le runtime Microsoft WebView2 est requis pour exécuter cette application. Cette application ne peut pas "
        "continuer et sera fermée maintenant.",
        "Le runtime Microsoft WebView2 est requis pour exécuter cette application. Voulez-vous l'installer "
        "maintenant?",
        "Cette application ne peut pas continuer et sera fermée maintenant.",
        "Vous annulez l'installation du runtime Microsoft WebView2. Cette application ne peut pas continuer et sera "
        "fermée maintenant.",
    },
    {
        "zh",
        "错误",
        "确认",
        "接受",
        "取消",
        "这不是有效的Windows应用程序。",
        "运行此应用程序需要Microsoft WebView2运行时。 该应用程序无法继续，将立即关闭。",
        "运行此应用程序需要Microsoft WebView2运行时。 您要立即安装吗？",
        "此应用程序无法继续，将立即关闭。",
        "您取消了Microsoft WebView2运行时的安装，此应用程序无法继续，将立即关闭。",
    },
}};

}  // namespace

std::string TLocalizedMessages::GetLocalizedMessage(int index, std::string_view languageCode) {
    if (index < 0 || index >= RowLength) throw std::out_of_range("MessageIndex is out of range!");
    const auto slot = static_cast<std::size_t>(index);
    for (const auto& row : LocalizedMessageTables) {
        if (languageCode == row[0]) return row[slot];
    }
    return DefaultMessages[slot];
}

std::string TLocalizedMessages::GetLocalizedMessage(TMessageIndex index, std::string_view languageCode) {
    return GetLocalizedMessage(static_cast<int>(index), languageCode);
}

std::string TLocalizedMessages::GetLocalizedMessage(int index) {
    return GetLocalizedMessage(index, GetUserLanguageCode());
}

TLocalizedDialog TLocalizedMessages::GetLocalizedDialog(TMessageIndex message, std::string_view languageCode) {
    auto text = [&](TMessageIndex index) { return GetLocalizedMessage(index, languageCode); };
    TLocalizedDialog dialog;
    dialog.text = text(message);
    dialog.buttons.push_back({text(TMessageIndex::AcceptButton), DialogResultYes});
    if (message == TMessageIndex::RuntimeRequiredOfferInstall) {
        dialog.kind = TDialogKind::Confirmation;
        dialog.caption = text(TMessageIndex::ConfirmCaption);
        dialog.buttons.push_back({text(TMessageIndex::CancelButton), DialogResultCancel});
    } else {
        dialog.kind = TDialogKind::Error;
        dialog.caption = text(TMessageIndex::ErrorCaption);
    }
    return dialog;
}

TLocalizedDialog TLocalizedMessages::GetLocalizedDialog(TMessageIndex message) {
    return GetLocalizedDialog(message, GetUserLanguageCode());
}

}  // namespace zorv
