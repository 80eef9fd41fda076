#include <gtest/gtest.h>

#include <windows.h>

#include <cderr.h>
#include <commdlg.h>
#include <dlgs.h>

#include "TestEnvironment.h"
#include "WindowWatcher.h"
#include "backends/win32/WinDialogs.h"
#include "backends/win32/WinText.h"

namespace zorv::test {
namespace {

std::vector<std::wstring> FilterNames(HWND dialog) {
    std::vector<std::wstring> names;
    HWND combo = GetDlgItem(dialog, cmb1);
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        names.push_back(text);
    }
    return names;
}

void TypeFileNameAndConfirm(HWND dialog, const std::wstring& path) {
    // Windows' dialog keeps the name in edt1, Wine's in the combo box cmb13.
    SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(path.c_str()));
    SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// A window of this process owned by `owner` (the overwrite question of a file dialog).
HWND WaitForOwnedWindow(HWND owner) {
    for (int attempt = 0; attempt < 250; ++attempt) {
        struct TSearch {
            HWND owner, found;
        } search{owner, nullptr};
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
                auto* s = reinterpret_cast<TSearch*>(context);
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process == GetCurrentProcessId() && GetWindow(window, GW_OWNER) == s->owner &&
                    IsWindowVisible(window)) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(20);
    }
    return nullptr;
}

TEST(FileDialogFilter, PairsEndedByZerosAndTheListByASecondZero) {
    using namespace std::string_literals;
    EXPECT_EQ(TWinDialogs::BuildFilter({{"Text", "*.txt"}, {"All", "*.*"}}), L"Text\0*.txt\0All\0*.*\0\0"s);
    EXPECT_EQ(TWinDialogs::BuildFilter({}), L"");
}

TEST(FileDialogs, OpenDialogShowsTheFileTypesAndAcceptsAFileThatDoesNotExist) {
    TScratchFolder dir;
    const std::wstring chosen = dir.WideText() + L"not-there-yet.txt";
    std::vector<std::wstring> filters;
    TWinDialogs dialogs;
    std::optional<std::string> result;
    {
        TWindowWatcher watcher(L"#32770", L"zorv open test", [&](HWND dialog) {
            filters = FilterNames(dialog);
            TypeFileNameAndConfirm(dialog, chosen);
        });
        result =
            dialogs.ShowOpenDialog({"zorv open test", "", {{"Text files", "*.txt"}, {"Pictures", "*.png"}}, false});
        EXPECT_TRUE(watcher.Found());
    }
    EXPECT_EQ(filters, (std::vector<std::wstring>{L"Text files", L"Pictures"}));
    EXPECT_EQ(result, TWinText::WideToUtf8(chosen));
}

TEST(FileDialogs, CancelGivesNothing) {
    TWinDialogs dialogs;
    std::optional<std::string> result = "unset";
    {
        TWindowWatcher watcher(L"#32770", L"zorv cancel test", [](HWND dialog) {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        result = dialogs.ShowSaveDialog({"zorv cancel test", "draft.txt", {}, false});
        EXPECT_TRUE(watcher.Found());
    }
    EXPECT_EQ(result, std::nullopt);
}

TEST(FileDialogs, SaveDialogAsksBeforeReplacingOnlyWhenTold) {
    TScratchFolder dir;
    const std::wstring existing = dir.WideText() + L"existing.txt";
    ASSERT_TRUE(WriteBytes(existing, "content"));
    TWinDialogs dialogs;

    bool asked = false;
    std::optional<std::string> result;
    {
        TWindowWatcher watcher(L"#32770", L"zorv overwrite test", [&](HWND dialog) {
            TypeFileNameAndConfirm(dialog, existing);
            if (HWND question = WaitForOwnedWindow(dialog)) {
                asked = true;
                PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
            }
        });
        result = dialogs.ShowSaveDialog({"zorv overwrite test", "", {}, true});
    }
    EXPECT_TRUE(asked);
    EXPECT_EQ(result, TWinText::WideToUtf8(existing));

    // The same dialog without the prompt returns at once; no extension is added.
    const std::wstring typed = dir.WideText() + L"existing";
    {
        TWindowWatcher watcher(L"#32770", L"zorv no prompt test",
                               [&](HWND dialog) { TypeFileNameAndConfirm(dialog, existing); });
        result = dialogs.ShowSaveDialog({"zorv no prompt test", "", {{"Text", "*.txt"}}, false});
    }
    EXPECT_EQ(result, TWinText::WideToUtf8(existing));
    {
        TWindowWatcher watcher(L"#32770", L"zorv extension test",
                               [&](HWND dialog) { TypeFileNameAndConfirm(dialog, typed); });
        result = dialogs.ShowSaveDialog({"zorv extension test", "", {{"Text", "*.txt"}}, false});
    }
    EXPECT_EQ(result, TWinText::WideToUtf8(typed));
}

TEST(FileDialogs, KeepsTheProcessCurrentFolder) {
    TScratchFolder dir;
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    TWinDialogs dialogs;
    {
        TWindowWatcher watcher(L"#32770", L"zorv folder test",
                               [&](HWND dialog) { TypeFileNameAndConfirm(dialog, dir.WideText() + L"file.txt"); });
        dialogs.ShowOpenDialog({"zorv folder test", "", {}, false});
    }
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(after, before);
}

TEST(ShowMessage, ShowsTheTextUnderTheGivenTitle) {
    TWinDialogs dialogs("zorv message test");
    std::wstring text;
    {
        TWindowWatcher watcher(L"#32770", L"zorv message test", [&](HWND box) {
            for (const std::wstring& shown : ChildTexts(box, L"Static"))
                if (!shown.empty()) text = shown;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        dialogs.ShowMessage("Calls to zorv.system.reboot() works only at runtime.");
        EXPECT_TRUE(watcher.Found());
    }
    EXPECT_EQ(text, L"Calls to zorv.system.reboot() works only at runtime.");
}

}  // namespace
}  // namespace zorv::test
