// zorv.dialogs.*: the system's file-open and file-save dialogs.
#include "bridge/BrowserExternalModule.h"

#include "platform/Dialogs.h"
#include "shared/StrUtils.h"

namespace zorv {
namespace {

// "Text|*.txt;Images|*.png": entries split at ";", each a display name and a mask split at "|".
// An entry without exactly one "|" adds nothing.
std::vector<TFileType> ParseFileTypes(std::string_view fileTypes) {
    std::vector<TFileType> result;
    for (const std::string& entry : TStrUtils::ExplodeStrings(";", fileTypes)) {
        const TArrayStrings parts = TStrUtils::ExplodeStrings("|", entry);
        if (parts.size() == 2) result.push_back({parts[0], parts[1]});
    }
    return result;
}

}  // namespace

void TBrowserExternalModule::DialogsOpenFile(const std::string& uuid, const TBridgeArguments& args) {
    ShowFileDialog(uuid, args, TFileDialogKind::Open);
}

void TBrowserExternalModule::DialogsSaveFile(const std::string& uuid, const TBridgeArguments& args) {
    ShowFileDialog(uuid, args, TFileDialogKind::Save);
}

void TBrowserExternalModule::ShowFileDialog(const std::string& uuid, const TBridgeArguments& args,
                                            TFileDialogKind kind) {
    const bool save = kind == TFileDialogKind::Save;
    TFileDialogOptions options;
    options.fileName = args.ReadString("fileName");
    options.title = args.ReadString("title", save ? "Save file" : "Open file");
    options.fileTypes = ParseFileTypes(args.ReadString("fileTypes"));
    if (save) options.overwritePrompt = args.ReadBoolean("overwritePrompt", false);
    if (!FServices.dialogs) throw EBridgeError("The bridge has no dialogs");

    // A call that arrives while a dialog of its kind is open (from the dialog's own message loop)
    // leaves that dialog alone and is answered as cancelled.
    bool& showing = save ? FSaveDialogShowing : FOpenDialogShowing;
    if (showing) return SendSuccess(uuid, "\"\"");

    std::optional<std::string> chosen;
    {
        const TLifetimeToken::TWatch lifetime = Lifetime();
        showing = true;
        try {
            chosen = save ? FServices.dialogs->ShowSaveDialog(options) : FServices.dialogs->ShowOpenDialog(options);
        } catch (...) {
            if (!lifetime.Expired()) showing = false;
            throw;
        }
        // The window may have closed, and the module gone, while the dialog ran its own loop.
        if (lifetime.Expired()) return;
        showing = false;
    }
    SendSuccess(uuid, chosen ? TStrUtils::StringToJsonString(*chosen) : std::string("\"\""));
}

}  // namespace zorv
