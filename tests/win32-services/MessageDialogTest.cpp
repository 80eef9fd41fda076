#include <gtest/gtest.h>

#include "WindowWatcher.h"
#include "backends/win32/MessageDialog.h"

namespace zorv::test {
namespace {

enum class TUserAction { ClickFirst, ClickLast, CloseFrame, Escape, Enter, EscapeThenClose };

void Perform(HWND dialog, TUserAction action) {
    HWND first = nullptr, last = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        if (lstrcmpiW(className, L"Button") != 0) continue;
        if (!first) first = child;
        last = child;
    }
    auto click = [dialog](HWND button) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    };
    // Keys go to the focused control, where the dialog's own loop translates them.
    auto key = [first](UINT virtualKey) { PostMessageW(first, WM_KEYDOWN, virtualKey, 0); };
    switch (action) {
        case TUserAction::ClickFirst: click(first); break;
        case TUserAction::ClickLast: click(last); break;
        case TUserAction::CloseFrame: PostMessageW(dialog, WM_CLOSE, 0, 0); break;
        case TUserAction::Escape: key(VK_ESCAPE); break;
        case TUserAction::Enter: key(VK_RETURN); break;
        case TUserAction::EscapeThenClose:
            key(VK_ESCAPE);
            Sleep(200);
            if (IsWindow(dialog)) PostMessageW(dialog, WM_CLOSE, 0, 0);
            break;
    }
}

struct TDialogCase {
    const char* name;
    std::vector<TMsgDlgBtn> buttons;
    std::vector<std::string> captions;
    TUserAction action;
    std::vector<std::wstring> shownCaptions;
    int result;
};

class MessageDialogTest : public testing::TestWithParam<TDialogCase> {};

TEST_P(MessageDialogTest, ShowsReplacedCaptionsAndAnswersWithTheButtonsResult) {
    const TDialogCase& c = GetParam();
    const std::wstring title = L"zorv dialog " + std::wstring(c.name, c.name + strlen(c.name));
    std::vector<std::wstring> shown;
    int result = 0;
    {
        TWindowWatcher watcher(L"#32770", title, [&](HWND dialog) {
            shown = ChildTexts(dialog, L"Button");
            Perform(dialog, c.action);
        });
        result = TMessageDialog::LocalizedMessageDlg("Something to say.", TDialogKind::Confirmation, c.buttons,
                                                     c.captions, std::string(title.begin(), title.end()));
    }
    EXPECT_EQ(shown, c.shownCaptions);
    EXPECT_EQ(result, c.result);
}

const std::vector<TMsgDlgBtn> YesCancel = {TMsgDlgBtn::Yes, TMsgDlgBtn::Cancel};

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageDialogTest,
    testing::Values(
        TDialogCase{
            "AcceptPressed", YesCancel, {"Accept", "Cancel"}, TUserAction::ClickFirst, {L"Accept", L"Cancel"}, 6},
        TDialogCase{
            "CancelPressed", YesCancel, {"Accept", "Cancel"}, TUserAction::ClickLast, {L"Accept", L"Cancel"}, 2},
        TDialogCase{
            "ClosedByFrame", YesCancel, {"Accept", "Cancel"}, TUserAction::CloseFrame, {L"Accept", L"Cancel"}, 2},
        TDialogCase{"EscapeIsCancel", YesCancel, {"Accept", "Cancel"}, TUserAction::Escape, {L"Accept", L"Cancel"}, 2},
        TDialogCase{
            "EnterIsTheDefaultYes", YesCancel, {"Accept", "Cancel"}, TUserAction::Enter, {L"Accept", L"Cancel"}, 6},
        // Buttons come in the platform's order whatever order they are asked in.
        TDialogCase{
            "FixedOrder", {TMsgDlgBtn::Cancel, TMsgDlgBtn::Yes}, {}, TUserAction::ClickFirst, {L"&Yes", L"Cancel"}, 6},
        TDialogCase{"FewerCaptionsThanButtons",
                    {TMsgDlgBtn::Yes, TMsgDlgBtn::No, TMsgDlgBtn::Cancel},
                    {"Uno"},
                    TUserAction::ClickLast,
                    {L"Uno", L"&No", L"Cancel"},
                    2},
        TDialogCase{"SingleButtonPressed", {TMsgDlgBtn::Yes}, {"Accept"}, TUserAction::ClickFirst, {L"Accept"}, 6},
        // Without a Cancel button Esc does nothing; the frame still closes with 2.
        TDialogCase{
            "SingleButtonEscapeIgnored", {TMsgDlgBtn::Yes}, {"Accept"}, TUserAction::EscapeThenClose, {L"Accept"}, 2},
        TDialogCase{
            "EnterPressesOkOverYes", {TMsgDlgBtn::Yes, TMsgDlgBtn::OK}, {}, TUserAction::Enter, {L"&Yes", L"OK"}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageDialog, StartupDialogInGermanShowsTheGermanRow) {
    const TLocalizedDialog dialog =
        TLocalizedMessages::GetLocalizedDialog(TMessageIndex::RuntimeRequiredOfferInstall, "de");
    std::vector<std::wstring> buttons;
    std::wstring text;
    int result = 0;
    {
        TWindowWatcher watcher(L"#32770", L"Best\u00e4tigen", [&](HWND window) {
            buttons = ChildTexts(window, L"Button");
            for (const std::wstring& shown : ChildTexts(window, L"Static"))
                if (!shown.empty()) text = shown;
            Perform(window, TUserAction::CloseFrame);
        });
        result = TMessageDialog::Show(dialog);
    }
    EXPECT_EQ(buttons, (std::vector<std::wstring>{L"Akzeptieren", L"Stornieren"}));
    EXPECT_EQ(text.substr(0, 13), L"Die Microsoft");
    EXPECT_EQ(result, 2);
}

}  // namespace
}  // namespace zorv::test
