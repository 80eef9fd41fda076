#include "bridge/BrowserExternalModule.h"

#include <algorithm>
#include <stdexcept>

#include "archive/AbZipKit.h"
#include "bridge/BridgeJson.h"
#include "bridge/BrowserExternalForm.h"
#include "bridge/TextConvert.h"
#include "platform/Dialogs.h"
#include "platform/MenuBar.h"
#include "platform/WebView.h"
#include "shared/MemIniFile.h"

namespace zorv {
namespace {

// The plain-string message a page posts on a click outside runtime mode, asking for the focus.
constexpr std::string_view FocusRequestMessage = "zorv-webbrowser-clicked";

// The uuid goes between the quotes of the reply unescaped; text that would break the reply's
// JSON is refused before anything runs.
bool IsSafeUuid(std::string_view uuid) {
    return std::none_of(uuid.begin(), uuid.end(), [](char c) {
        return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
    });
}

std::string RequiredMember(const nlohmann::json& message, const char* name) {
    const auto found = message.find(name);
    if (found == message.end()) throw EBridgeError(std::string("Value '") + name + "' not found");
    return JsonValueAsText(*found, name);
}

}  // namespace

const TBrowserExternalModule::TFunctionEntry TBrowserExternalModule::FunctionTable[] = {
    {10001, &TBrowserExternalModule::Hello, nullptr},
    {10002, &TBrowserExternalModule::IsRuntime, nullptr},
    {11001, &TBrowserExternalModule::SystemLogoff, "zorv.system.logoff"},
    {11002, &TBrowserExternalModule::SystemReboot, "zorv.system.reboot"},
    {11003, &TBrowserExternalModule::SystemShutdown, "zorv.system.shutdown"},
    {12001, &TBrowserExternalModule::MainMenuSetItems, "zorv.mainMenu.setItems"},
    {12002, &TBrowserExternalModule::MainMenuUpdateItem, "zorv.mainMenu.updateItem"},
    {20001, &TBrowserExternalModule::DialogsOpenFile, nullptr},
    {20002, &TBrowserExternalModule::DialogsSaveFile, nullptr},
    {30001, &TBrowserExternalModule::FilesFileExists, nullptr},
    {30002, &TBrowserExternalModule::FilesDeleteFile, nullptr},
    {30003, &TBrowserExternalModule::FilesWriteTextFile, nullptr},
    // Pages have always been shown this path for files.extractFile.
    {30004, &TBrowserExternalModule::FilesExtractFile, "zorv.app.extractFile"},
    {40001, &TBrowserExternalModule::FoldersDirExists, nullptr},
    {40002, &TBrowserExternalModule::FoldersDeleteDir, nullptr},
    {40003, &TBrowserExternalModule::FoldersGetTempDir, nullptr},
    {40004, &TBrowserExternalModule::FoldersGetUserDocumentsDir, nullptr},
    {40005, &TBrowserExternalModule::FoldersGetUserDesktopDir, nullptr},
    {40006, &TBrowserExternalModule::FoldersGetAppExecutableDir, nullptr},
    {40007, &TBrowserExternalModule::FoldersGetAppDataDir, nullptr},
    {50001, &TBrowserExternalModule::AppClose, nullptr},
    {50002, &TBrowserExternalModule::AppInFullscreen, nullptr},
    {50003, &TBrowserExternalModule::AppEnterFullscreen, "zorv.app.enterFullscreen"},
    {50004, &TBrowserExternalModule::AppExitFullscreen, "zorv.app.exitFullscreen"},
    {50005, &TBrowserExternalModule::AppGetArgs, "zorv.app.getArgs"},
    {60001, &TBrowserExternalModule::WindowGetStyle, nullptr},
    {60002, &TBrowserExternalModule::WindowSetStyle, nullptr},
    {60003, &TBrowserExternalModule::WindowGetState, nullptr},
    {60004, &TBrowserExternalModule::WindowSetState, nullptr},
    {60005, &TBrowserExternalModule::WindowGetTitle, nullptr},
    {60006, &TBrowserExternalModule::WindowSetTitle, nullptr},
    {70001, &TBrowserExternalModule::ShellExecute, nullptr},
    {70002, &TBrowserExternalModule::ShellExplore, nullptr},
    {70003, &TBrowserExternalModule::ShellCommand, nullptr},
    {70004, &TBrowserExternalModule::ShellWindows, nullptr},
    {80001, &TBrowserExternalModule::ThemesGetTheme, "zorv.themes.getTheme"},
    {80002, &TBrowserExternalModule::ThemesGetThemes, "zorv.themes.getThemes"},
    {80003, &TBrowserExternalModule::ThemesSetTheme, "zorv.themes.setTheme"},
    {90001, &TBrowserExternalModule::Base64DecodeToFile, nullptr},
};

TBrowserExternalModule::TBrowserExternalModule(TBridgeServices services, TBridgeContext context)
    : FServices(std::move(services)), FContext(std::move(context)) {
    if (!FServices.operatingSystem) throw std::invalid_argument("The bridge needs the operating-system services");
    FBrowserExternalForm = std::make_unique<TBrowserExternalForm>(
        [this](const std::string& path) { return ReadMenuImage(path); });
    if (FServices.menuBar) {
        FServices.menuBar->SetOnItemClick([this, lifetime = Lifetime()](int32_t tag) {
            if (!lifetime.expired()) OnMainMenuItemClick(tag);
        });
    }
}

TBrowserExternalModule::~TBrowserExternalModule() {
    if (FServices.menuBar) FServices.menuBar->SetOnItemClick(nullptr);
}

std::string TBrowserExternalModule::MainMenuItemClickScript(int32_t tag) {
    return "zorv.events.onMainMenuItemClick(" + std::to_string(tag) + ");";
}

void TBrowserExternalModule::SetAcceptedOrigins(std::vector<std::string> urlPrefixes) {
    FAcceptedOrigins = std::move(urlPrefixes);
}

bool TBrowserExternalModule::IsAcceptedOrigin(std::string_view sourceUrl) const {
    return std::any_of(FAcceptedOrigins.begin(), FAcceptedOrigins.end(), [&](const std::string& prefix) {
        return !prefix.empty() && sourceUrl.substr(0, prefix.size()) == prefix;
    });
}

const TBrowserExternalModule::TFunctionEntry* TBrowserExternalModule::FindFunction(int32_t id) {
    for (const TFunctionEntry& entry : FunctionTable) {
        if (entry.id == id) return &entry;
    }
    return nullptr;
}

void TBrowserExternalModule::EdgeBrowserWebMessageReceived(const TWebMessage& message) {
    // A failing call ends without a reply; later calls are handled as usual.
    try {
        Dispatch(message);
    } catch (...) {
    }
}

void TBrowserExternalModule::Dispatch(const TWebMessage& message) {
    if (!IsAcceptedOrigin(message.sourceUrl)) return;
    if (!FExeZip && message.asString && *message.asString == FocusRequestMessage) {
        if (FWebView) FWebView->FocusWebView();
        return;
    }
    const std::optional<nlohmann::json> call = TBridgeJson::Parse(message.asJson);
    if (!call || !call->is_object()) return;
    const std::string idText = RequiredMember(*call, "id");
    const std::string uuid = RequiredMember(*call, "uuid");
    const auto data = call->find("data");
    if (data == call->end()) throw EBridgeError("Value 'data' not found");
    if (!data->is_object()) throw EBridgeError("Value 'data' is not an object");
    if (!IsSafeUuid(uuid)) return;
    int32_t id = 0;
    if (!TTextConvert::TryStrToInt32(idText, id)) return;
    const TFunctionEntry* entry = FindFunction(id);
    if (!entry) return;
    if (entry->runtimeOnlyPath && !FExeZip) {
        ShowRuntimeOnlyMessage(entry->runtimeOnlyPath);
        return;
    }
    (this->*entry->function)(uuid, TBridgeArguments(*data));
}

void TBrowserExternalModule::ShowRuntimeOnlyMessage(const char* functionPath) {
    if (FServices.dialogs) {
        FServices.dialogs->ShowMessage(std::string("Calls to ") + functionPath + "() works only at runtime.");
    }
}

void TBrowserExternalModule::SendReply(std::string_view uuid, std::string_view result, bool success) {
    if (!FWebView) return;
    std::string reply;
    reply.reserve(uuid.size() + result.size() + 48);
    reply += "{\"uuid\": \"";
    reply += uuid;
    reply += "\", \"success\": ";
    reply += success ? "true" : "false";
    reply += ", \"result\": ";
    reply += result;
    reply += '}';
    FWebView->PostWebMessageAsJson(reply);
}

IMainWindow& TBrowserExternalModule::RequireMainForm() const {
    if (!FMainForm) throw EBridgeError("The bridge has no main window");
    return *FMainForm;
}

std::string TBrowserExternalModule::ResolvePagePath(std::string_view pagePath) const {
    return TPagePaths::Resolve(pagePath, FContext.appDir, FContext.pathStyle);
}

std::string TBrowserExternalModule::AppDirName() const {
    return FProjectINI ? FProjectINI->ReadString("App", "DirName", "") : std::string();
}

void TBrowserExternalModule::OnMainMenuItemClick(int32_t tag) {
    if (FWebView) FWebView->ExecuteScript(MainMenuItemClickScript(tag));
}

}  // namespace zorv
