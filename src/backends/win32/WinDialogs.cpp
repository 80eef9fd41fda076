#include "backends/win32/WinDialogs.h"

#include <cderr.h>
#include <commdlg.h>

#include <vector>

#include "backends/win32/WinText.h"

namespace zorv {

namespace {

// Long enough for any path the shell accepts.
constexpr size_t FileNameBufferLength = 32768;

std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

}  // namespace

TWinDialogs::TWinDialogs(std::string messageTitle)
    : FMessageTitle(messageTitle.empty() ? ProgramName() : TWinText::Utf8ToWide(messageTitle)) {}

std::wstring TWinDialogs::BuildFilter(const std::vector<TFileType>& fileTypes) {
    std::wstring filter;
    for (const TFileType& type : fileTypes) {
        filter += TWinText::Utf8ToWide(type.displayName);
        filter.push_back(L'\0');
        filter += TWinText::Utf8ToWide(type.mask);
        filter.push_back(L'\0');
    }
    if (!filter.empty()) filter.push_back(L'\0');
    return filter;
}

std::optional<std::string> TWinDialogs::ShowOpenDialog(const TFileDialogOptions& options) {
    return ShowFileDialog(options, TFileDialogKind::Open);
}

std::optional<std::string> TWinDialogs::ShowSaveDialog(const TFileDialogOptions& options) {
    return ShowFileDialog(options, TFileDialogKind::Save);
}

std::optional<std::string> TWinDialogs::ShowFileDialog(const TFileDialogOptions& options, TFileDialogKind kind) {
    const bool save = kind == TFileDialogKind::Save;
    const std::wstring filter = BuildFilter(options.fileTypes);
    const std::wstring title = TWinText::Utf8ToWide(options.title);
    std::wstring initialName = TWinText::Utf8ToWide(options.fileName);
    if (initialName.size() >= FileNameBufferLength) initialName.clear();

    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<wchar_t> fileName(FileNameBufferLength, L'\0');
        std::copy(initialName.begin(), initialName.end(), fileName.begin());

        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = GetActiveWindow();
        dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = fileName.data();
        dialog.nMaxFile = static_cast<DWORD>(fileName.size());
        dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();  // empty: the system's own title
        // The chosen file need not exist, no extension is added, and the process keeps its
        // current folder (relative paths elsewhere must not change meaning after a dialog).
        dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (save && options.overwritePrompt) dialog.Flags |= OFN_OVERWRITEPROMPT;

        const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
        if (chosen) return TWinText::WideToUtf8(fileName.data());
        // A file name the dialog refuses to start with would otherwise read as a cancel the user
        // never made: open it again with an empty name.
        const DWORD error = CommDlgExtendedError();
        if (error != FNERR_INVALIDFILENAME || initialName.empty()) return std::nullopt;
        initialName.clear();
    }
    return std::nullopt;
}

void TWinDialogs::ShowMessage(const std::string& text) {
    MessageBoxW(GetActiveWindow(), TWinText::Utf8ToWide(text).c_str(), FMessageTitle.c_str(), MB_OK);
}

}  // namespace zorv
