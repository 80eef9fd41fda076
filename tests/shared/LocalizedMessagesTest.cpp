#include "shared/LocalizedMessages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorv::test {
namespace {

struct TLanguageCase {
    const char* code;
    const char* errorCaption;
    const char* acceptButton;
    const char* cancelButton;
    const char* notValidApplication;
};

class LocalizedMessageRow : public testing::TestWithParam<TLanguageCase> {};

TEST_P(LocalizedMessageRow, TakesTextsFromTheLanguagesRow) {
    const auto& c = GetParam();
    EXPECT_EQ(TLocalizedMessages::GetLocalizedMessage(TMessageIndex::ErrorCaption, c.code), c.errorCaption);
    EXPECT_EQ(TLocalizedMessages::GetLocalizedMessage(TMessageIndex::AcceptButton, c.code), c.acceptButton);
    EXPECT_EQ(TLocalizedMessages::GetLocalizedMessage(TMessageIndex::CancelButton, c.code), c.cancelButton);
    EXPECT_EQ(TLocalizedMessages::GetLocalizedMessage(TMessageIndex::NotAValidApplication, c.code),
              c.notValidApplication);
}

constexpr const char* EnglishInvalid = "This is not a valid Windows application.";

INSTANTIATE_TEST_SUITE_P(
    Languages, LocalizedMessageRow,
    testing::Values(
        TLanguageCase{"en", "Error", "Accept", "Cancel", EnglishInvalid},
        TLanguageCase{"es", "Error", "Aceptar", "Cancelar", "Esta no es una aplicación de Windows válida."},
        TLanguageCase{"it", "Errore", "Accettare", "Annulla", "Questa non è un'applicazione Windows valida."},
        // German keeps the English title.
        TLanguageCase{"de", "Error", "Akzeptieren", "Stornieren", "Dies ist keine gültige Windows-Anwendung."},
        TLanguageCase{"fr", "Erreur", "J'accepte", "Annuler", "Ce n'est pas une application Windows valide."},
        TLanguageCase{"zh", "错误", "接受", "取消", "这不是有效的Windows应用程序。"},
        // Anything else falls back to English; the code is compared exactly.
        TLanguageCase{"pt", "Error", "Accept", "Cancel", EnglishInvalid},
        TLanguageCase{"", "Error", "Accept", "Cancel", EnglishInvalid},
        TLanguageCase{"DE", "Error", "Accept", "Cancel", EnglishInvalid},
        TLanguageCase{"de_DE", "Error", "Accept", "Cancel", EnglishInvalid}));

TEST(LocalizedMessages, EntryZeroIsTheRowsLanguage) {
    for (const char* code : {"en", "es", "it", "de", "fr", "zh"}) {
        EXPECT_EQ(TLocalizedMessages::GetLocalizedMessage(0, code), code);
    }
    EXPECT_EQ(TLocalizedMessages::GetLocalizedMessage(0, "pt"), "en");
}

TEST(LocalizedMessages, IndexOutsideTheRowIsRefused) {
    for (const int index : {10, -1, 1000}) {
        try {
            TLocalizedMessages::GetLocalizedMessage(index, "en");
            ADD_FAILURE() << "index " << index << " was accepted";
        } catch (const std::out_of_range& error) {
            EXPECT_STREQ(error.what(), "MessageIndex is out of range!");
        }
    }
}

TEST(LocalizedDialog, InstallOfferIsAConfirmationWithAcceptAndCancel) {
    const TLocalizedDialog dialog =
        TLocalizedMessages::GetLocalizedDialog(TMessageIndex::RuntimeRequiredOfferInstall, "en");
    EXPECT_EQ(dialog.kind, TDialogKind::Confirmation);
    EXPECT_EQ(dialog.caption, "Confirm");
    EXPECT_EQ(dialog.text,
              "The Microsoft WebView2 runtime is required to run this application. Do you want to install it now?");
    EXPECT_EQ(dialog.buttons, (std::vector<TDialogButton>{{"Accept", 6}, {"Cancel", 2}}));
    EXPECT_EQ(dialog.closeResult, 2);
}

TEST(LocalizedDialog, OtherMessagesAreErrorsWithOneAcceptButton) {
    for (const auto message : {TMessageIndex::NotAValidApplication, TMessageIndex::RuntimeRequiredNoInstall,
                               TMessageIndex::CannotContinue, TMessageIndex::InstallationCancelled}) {
        const TLocalizedDialog dialog = TLocalizedMessages::GetLocalizedDialog(message, "fr");
        EXPECT_EQ(dialog.kind, TDialogKind::Error);
        EXPECT_EQ(dialog.caption, "Erreur");
        EXPECT_EQ(dialog.text, TLocalizedMessages::GetLocalizedMessage(message, "fr"));
        EXPECT_EQ(dialog.buttons, (std::vector<TDialogButton>{{"J'accepte", 6}}));
    }
}

#ifndef _WIN32
// Sets locale variables for one test and restores them afterwards.
class LocaleEnvironment : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : Names) {
            const char* value = std::getenv(name);
            saved.emplace_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < std::size(Names); ++i) {
            if (saved[i]) {
                setenv(Names[i], saved[i]->c_str(), 1);
            } else {
                unsetenv(Names[i]);
            }
        }
    }
    static constexpr const char* Names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved;
};

TEST_F(LocaleEnvironment, UserLanguageComesFromTheLocaleVariables) {
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(TLocalizedMessages::GetUserLanguageCode(), "de");
    EXPECT_EQ(TLocalizedMessages::GetLocalizedMessage(2), "Bestätigen");
    setenv("LC_MESSAGES", "zh_TW.UTF-8", 1);
    EXPECT_EQ(TLocalizedMessages::GetUserLanguageCode(), "zh");
    setenv("LC_ALL", "pt_BR", 1);
    EXPECT_EQ(TLocalizedMessages::GetLocalizedMessage(2), "Confirm");
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(TLocalizedMessages::GetUserLanguageCode(), "");
    EXPECT_EQ(TLocalizedMessages::GetLocalizedMessage(3), "Accept");
}
#else
TEST(LocalizedMessages, UserLanguageIsATwoOrThreeLetterCode) {
    const std::string code = TLocalizedMessages::GetUserLanguageCode();
    EXPECT_TRUE(code.size() == 2 || code.size() == 3) << code;
    for (const char c : code) EXPECT_TRUE(c >= 'a' && c <= 'z') << code;
}
#endif

}  // namespace
}  // namespace zorv::test
