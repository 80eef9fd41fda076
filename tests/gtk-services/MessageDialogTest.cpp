#include "backends/gtk/MessageDialog.h"

#include <gmock/gmock.h>

#include "GtkTestSupport.h"
#include "shared/LocalizedMessages.h"

namespace zorv::test {
namespace {

using ::testing::ElementsAre;

bool IsMessageDialog(GtkWindow* window) { return GTK_IS_MESSAGE_DIALOG(window); }

std::vector<GtkWidget*> ActionButtons(GtkWindow* dialog) {
    return WidgetsOfType(GTK_WIDGET(dialog), GTK_TYPE_BUTTON);  // only the action buttons, in layout order
}

// The icon names of the images the dialog shows.
std::vector<std::string> IconNames(GtkWindow* dialog) {
    std::vector<std::string> names;
    for (GtkWidget* image : WidgetsOfType(GTK_WIDGET(dialog), GTK_TYPE_IMAGE)) {
        const gchar* name = nullptr;
        if (gtk_image_get_storage_type(GTK_IMAGE(image)) == GTK_IMAGE_ICON_NAME)
            gtk_image_get_icon_name(GTK_IMAGE(image), &name, nullptr);
        if (name != nullptr) names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> ButtonCaptions(GtkWindow* dialog) {
    std::vector<std::string> captions;
    for (GtkWidget* button : ActionButtons(dialog)) captions.emplace_back(gtk_button_get_label(GTK_BUTTON(button)));
    return captions;
}

// What a user does to a shown dialog.
enum class TUserAction { PressFirst, PressSecond, Escape, CloseFrame };

void Perform(GtkWindow* dialog, TUserAction action) {
    switch (action) {
        case TUserAction::PressFirst: gtk_button_clicked(GTK_BUTTON(ActionButtons(dialog).at(0))); break;
        case TUserAction::PressSecond: gtk_button_clicked(GTK_BUTTON(ActionButtons(dialog).at(1))); break;
        case TUserAction::Escape: SendKey(GTK_WIDGET(dialog), "Escape"); break;
        case TUserAction::CloseFrame: gtk_window_close(dialog); break;
    }
}

struct TResultCase {
    TUserAction action;
    int expected;
};

class MessageDialogResults : public ::testing::TestWithParam<TResultCase> {};

TEST_P(MessageDialogResults, YesAndCancelWithReplacedCaptions) {
    ZORV_REQUIRE_DISPLAY();
    std::vector<std::string> seenCaptions;
    std::string seenTitle;
    WhenWindowAppears(IsMessageDialog, [&](GtkWindow* dialog) {
        seenCaptions = ButtonCaptions(dialog);
        seenTitle = gtk_window_get_title(dialog);
        Perform(dialog, GetParam().action);
    });
    TMessageDialog dialog;
    const int result =
        dialog.LocalizedMessageDlg("Install now?", TDialogKind::Confirmation, {TMsgDlgBtn::Cancel, TMsgDlgBtn::Yes},
                                   {"Accept", "Cancel"}, "Confirm");
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_THAT(seenCaptions, ElementsAre("Accept", "Cancel"));
    EXPECT_EQ(seenTitle, "Confirm");
}

INSTANTIATE_TEST_SUITE_P(EveryWayOut, MessageDialogResults,
                         ::testing::Values(TResultCase{TUserAction::PressFirst, 6},
                                           TResultCase{TUserAction::PressSecond, 2},
                                           TResultCase{TUserAction::Escape, 2},
                                           TResultCase{TUserAction::CloseFrame, 2}));

TEST(MessageDialog, WithoutACancelButtonEscapeDoesNothingButTheFrameCloses) {
    ZORV_REQUIRE_DISPLAY();
    bool stillOpenAfterEscape = false;
    std::vector<std::string> icons;
    WhenWindowAppears(IsMessageDialog, [&](GtkWindow* dialog) {
        icons = IconNames(dialog);
        SendKey(GTK_WIDGET(dialog), "Escape");
        Pump(std::chrono::milliseconds(200));
        stillOpenAfterEscape = FindMappedWindow(IsMessageDialog) == dialog;
        gtk_window_close(dialog);
    });
    TMessageDialog dialog;
    EXPECT_EQ(dialog.LocalizedMessageDlg("Broken", TDialogKind::Error, {TMsgDlgBtn::Yes}, {"Accept"}, "Error"), 2);
    EXPECT_TRUE(stillOpenAfterEscape);
    EXPECT_THAT(icons, ElementsAre("dialog-error"));
}

TEST(MessageDialog, ButtonsBeyondTheCaptionsKeepTheirStandardCaptionsAndOkIsTheDefault) {
    ZORV_REQUIRE_DISPLAY();
    std::vector<std::string> seenCaptions;
    std::string defaultCaption;
    WhenWindowAppears(IsMessageDialog, [&](GtkWindow* dialog) {
        seenCaptions = ButtonCaptions(dialog);
        GtkWidget* focused = gtk_window_get_default_widget(dialog);
        if (focused != nullptr) defaultCaption = gtk_button_get_label(GTK_BUTTON(focused));
        SendKey(GTK_WIDGET(dialog), "Return");  // activates the default button
    });
    TMessageDialog dialog;
    const int result = dialog.LocalizedMessageDlg("Text", TDialogKind::Confirmation,
                                                  {TMsgDlgBtn::Cancel, TMsgDlgBtn::OK, TMsgDlgBtn::Yes}, {"Sí"}, "T");
    EXPECT_THAT(seenCaptions, ElementsAre("Sí", "OK", "Cancel"));
    EXPECT_EQ(defaultCaption, "OK");
    EXPECT_EQ(result, 1);
}

TEST(MessageDialog, ShowsTheLocalizedInstallOfferAndAnswersItsResults) {
    ZORV_REQUIRE_DISPLAY();
    const TLocalizedDialog offer =
        TLocalizedMessages::GetLocalizedDialog(TMessageIndex::RuntimeRequiredOfferInstall, "de");
    std::vector<std::string> seenCaptions;
    std::string seenTitle, seenText;
    std::vector<std::string> icons;
    WhenWindowAppears(IsMessageDialog, [&](GtkWindow* dialog) {
        icons = IconNames(dialog);
        seenCaptions = ButtonCaptions(dialog);
        seenTitle = gtk_window_get_title(dialog);
        gchar* text = nullptr;
        g_object_get(dialog, "text", &text, nullptr);
        seenText = text;
        g_free(text);
        Perform(dialog, TUserAction::PressFirst);
    });
    EXPECT_EQ(TMessageDialog().Show(offer), 6);
    EXPECT_THAT(seenCaptions, ElementsAre("Akzeptieren", "Stornieren"));
    EXPECT_EQ(seenTitle, "Bestätigen");
    EXPECT_EQ(seenText, offer.text);
    EXPECT_THAT(icons, ElementsAre("dialog-question"));
}

}  // namespace
}  // namespace zorv::test
