#include "backends/win32/DownloadHandler.h"

#include <utility>

#include "backends/win32/WinDialogs.h"
#include "backends/win32/WinText.h"
#include "shared/Win32Handles.h"

namespace zorv {

namespace {

// The file name part of the path the browser would save to.
std::string SuggestedName(ICoreWebView2DownloadStartingEventArgs* args) {
    TCoTaskString path;
    if (FAILED(args->get_ResultFilePath(path.Put())) || !path) return {};
    const std::wstring text = path.Get();
    const std::size_t slash = text.find_last_of(L"\\/");
    return TWinText::WideToUtf8((slash == std::wstring::npos ? text : text.substr(slash + 1)).c_str());
}

void Cancel(ICoreWebView2DownloadStartingEventArgs* args) { args->put_Cancel(TRUE); }

}  // namespace

void TDownloadHandler::Decide(TWinUiThread& uiThread, ICoreWebView2DownloadStartingEventArgs* args, bool fromApp,
                              TChooser chooser) {
    if (!args) return;
    args->put_Handled(TRUE);
    if (!fromApp) return Cancel(args);
    TComPtr<ICoreWebView2Deferral> deferral;
    if (FAILED(args->GetDeferral(deferral.Put())) || !deferral) return Cancel(args);
    // The arguments are used after the event only while the deferral holds them.
    uiThread.Post([held = TComPtr<ICoreWebView2DownloadStartingEventArgs>(args), deferral, name = SuggestedName(args),
                   chooser = std::move(chooser)] {
        const std::optional<std::string> path = chooser ? chooser(name) : std::nullopt;
        if (path && !path->empty()) {
            held->put_ResultFilePath(TWinText::Utf8ToWide(*path).c_str());
        } else {
            Cancel(held.Get());
        }
        deferral->Complete();
    });
}

TDownloadHandler::TChooser TDownloadHandler::SaveDialogChooser() {
    return [](const std::string& suggestedName) {
        TFileDialogOptions options;
        options.title = SaveDialogTitle;
        options.fileName = suggestedName;
        options.overwritePrompt = true;
        return TWinDialogs().ShowSaveDialog(options);
    };
}

}  // namespace zorv
