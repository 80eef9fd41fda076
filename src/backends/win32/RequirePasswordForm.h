#pragma once
#include <windows.h>

#include <string>

#include "shared/Win32Handles.h"

namespace zorv {

class TWinThemeEngine;

// The password prompt of a protected application: a small modal dialog with one masked edit box
// (a key shown at its left). It closes with result 1 as soon as a key is released while the box
// holds exactly the password; there is no button and no message for a wrong password. Closing it
// by its frame (close box, Alt+F4) answers 2. Enter and Esc do nothing.
class TRequirePasswordForm {
public:
    static constexpr int ResultAccepted = 1;
    static constexpr int ResultClosed = 2;

    explicit TRequirePasswordForm(TWinThemeEngine* theme = nullptr);
    TRequirePasswordForm(const TRequirePasswordForm&) = delete;
    TRequirePasswordForm& operator=(const TRequirePasswordForm&) = delete;

    void SetCaption(const std::string& caption);    // UTF-8; the application's name
    void SetPassword(const std::string& password);  // UTF-8; compared exactly
    int ShowModal(HWND owner = nullptr);

    // Shows the prompt; true when the password was typed.
    static bool Ask(const std::string& caption, const std::string& password, TWinThemeEngine* theme = nullptr);

private:
    void FormCreate(HWND dialog);
    void PasswordEditKeyUp();
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);

    TWinThemeEngine* FTheme;
    std::wstring FCaption = L"[App Name]";
    std::wstring FPassword;
    HWND FDialog = nullptr;
    HWND FPasswordEdit = nullptr;
    TGdiObject<HFONT> FFont;  // held while the dialog shows
    TIconHandle FKeyIcon;     // held while the dialog shows
};

}  // namespace zorv
