#include <gtest/gtest.h>

#include "WindowWatcher.h"
#include "backends/win32/RequirePasswordForm.h"

namespace zorv::test {
namespace {

HWND PasswordEdit(HWND dialog) { return FindWindowExW(dialog, nullptr, L"Edit", nullptr); }

// Types `text` into the box as the user would see it and releases a key.
void TypeAndRelease(HWND edit, const wchar_t* text, WPARAM key = 'A') {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    PostMessageW(edit, WM_KEYUP, key, 0xC0000001);
    Sleep(100);
}

int ShowPrompt(const wchar_t* title, const std::string& password, const std::function<void(HWND)>& user) {
    TRequirePasswordForm form;
    form.SetCaption(std::string(title, title + wcslen(title)));
    form.SetPassword(password);
    TWindowWatcher watcher(L"#32770", title, user);
    return form.ShowModal();
}

TEST(RequirePasswordForm, MasksTheInputWithStars) {
    wchar_t mask = 0;
    bool password = false;
    const int result = ShowPrompt(L"zorv password mask", "secret", [&](HWND dialog) {
        HWND edit = PasswordEdit(dialog);
        mask = static_cast<wchar_t>(SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0));
        password = GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD;
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(mask, L'*');
    EXPECT_TRUE(password);
    EXPECT_EQ(result, TRequirePasswordForm::ResultClosed);
}

TEST(RequirePasswordForm, OpensOnTheReleaseOfTheLastKeyOfThePassword) {
    std::vector<bool> openAfterEachKey;
    const int result = ShowPrompt(L"zorv password typed", "s\u00e9c", [&](HWND dialog) {
        HWND edit = PasswordEdit(dialog);
        for (const wchar_t* typed : {L"s", L"s\u00e9", L"s\u00e9c"}) {
            TypeAndRelease(edit, typed);
            openAfterEachKey.push_back(IsWindow(dialog));
        }
    });
    EXPECT_EQ(openAfterEachKey, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(result, TRequirePasswordForm::ResultAccepted);
}

TEST(RequirePasswordForm, WrongCaseEnterAndEscapeKeepItOpenClosingAnswersTwo) {
    std::vector<bool> stillOpen;
    const int result = ShowPrompt(L"zorv password wrong", "Secret", [&](HWND dialog) {
        HWND edit = PasswordEdit(dialog);
        TypeAndRelease(edit, L"secret");
        stillOpen.push_back(IsWindow(dialog));
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
        Sleep(100);
        stillOpen.push_back(IsWindow(dialog));
        PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
        Sleep(100);
        stillOpen.push_back(IsWindow(dialog));
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box, Alt+F4
    });
    EXPECT_EQ(stillOpen, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(result, TRequirePasswordForm::ResultClosed);
}

TEST(RequirePasswordForm, PastedPasswordOpensWhenTheModifierIsReleased) {
    const int result = ShowPrompt(L"zorv password pasted", "pasted words", [&](HWND dialog) {
        TypeAndRelease(PasswordEdit(dialog), L"pasted words", VK_CONTROL);
    });
    EXPECT_EQ(result, TRequirePasswordForm::ResultAccepted);
}

}  // namespace
}  // namespace zorv::test
