#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "backends/win32/WebView2Abi.h"
#include "backends/win32/WinUiThread.h"

namespace zorv {

// Takes WebView2's downloads over (DownloadStarting): the browser's own download bar never shows.
// A download started while an application document is shown is saved where the user says in the
// system's save dialog, or not at all when the user cancels; any other download is cancelled.
class TDownloadHandler {
public:
    // Asks where to save, given the name the browser would use; nothing when the user cancels.
    using TChooser = std::function<std::optional<std::string>(const std::string& suggestedName)>;

    // The title of the save dialog.
    static constexpr char SaveDialogTitle[] = "Save download";

    // `fromApp`: the document shown is the application's. The dialog opens once the event has
    // returned (a deferral holds the download until then): nothing that pumps messages runs inside
    // a WebView2 event.
    static void Decide(TWinUiThread& uiThread, ICoreWebView2DownloadStartingEventArgs* args, bool fromApp,
                       TChooser chooser = SaveDialogChooser());

    // The system's save dialog, with the suggested name and a question before overwriting.
    static TChooser SaveDialogChooser();
};

}  // namespace zorv
