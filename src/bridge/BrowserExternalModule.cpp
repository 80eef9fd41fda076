#include "bridge/BrowserExternalModule.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "archive/AbZipKit.h"
#include "bridge/BridgeJson.h"
#include "bridge/BrowserExternalForm.h"
#include "bridge/TextConvert.h"
#include "platform/Dialogs.h"
#include "platform/MenuBar.h"
#include "platform/WebView.h"
#include "shared/MemIniFile.h"
#include "shared/StrUtils.h"

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

// A uuid the reply can carry: text that is not empty and would not break the reply's JSON.
std::optional<std::string> UsableUuid(std::optional<std::string> uuid) {
    if (!uuid || uuid->empty() || !IsSafeUuid(*uuid)) return std::nullopt;
    return uuid;
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
    {11004, &TBrowserExternalModule::SystemGetPlatform, nullptr},
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

const TBrowserExternalModule::TFunctionEntry* TBrowserExternalModule::FindFunction(int32_t id) {
    for (const TFunctionEntry& entry : FunctionTable) {
        if (entry.id == id) return &entry;
    }
    return nullptr;
}

void TBrowserExternalModule::EdgeBrowserWebMessageReceived(const TWebMessage& message) {
    // A call made from a nested message loop (a dialog's) answers its own document, and the outer
    // call gets its own back afterwards.
    std::shared_ptr<IWebMessageReply> outerReply = std::exchange(FCallReply, message.reply);
    const std::weak_ptr<TLifetime> lifetime = Lifetime();
    // A failing call ends without a reply; later calls are handled as usual.
    try {
        if (FIsAppDocument && FIsAppDocument(message)) Dispatch(message);
    } catch (...) {
    }
    if (!lifetime.expired()) FCallReply = std::move(outerReply);
}

void TBrowserExternalModule::Dispatch(const TWebMessage& message) {
    if (!FExeZip && message.asString && *message.asString == FocusRequestMessage) {
        if (FWebView) FWebView->FocusWebView();
        return;
    }
    const std::optional<nlohmann::json> call = TBridgeJson::Parse(message.asJson);
    if (!call) {
        // Valid JSON that nests too deep is still a call that can be answered.
        if (const std::optional<std::string> uuid = UsableUuid(TBridgeJson::TopLevelString(message.asJson, "uuid"))) {
            SendError(*uuid, "\"The call's JSON nests deeper than " + std::to_string(TBridgeJson::DefaultMaxDepth) +
                                 " levels\"");
        }
        return;
    }
    if (!call->is_object()) return;
    const auto uuidMember = call->find("uuid");
    const std::optional<std::string> uuid =
        UsableUuid(uuidMember != call->end() && uuidMember->is_string()
                       ? std::optional<std::string>(uuidMember->get<std::string>())
                       : std::nullopt);
    if (!uuid) return;
    // Every call with a uuid to answer gets exactly one reply: an error that ends it early becomes
    // its error reply. Functions raise only before they reply.
    const std::weak_ptr<TLifetime> lifetime = Lifetime();
    try {
        RunCall(*call, *uuid);
    } catch (const std::exception& error) {
        if (!lifetime.expired()) SendError(*uuid, TStrUtils::StringToJsonString(error.what()));
    } catch (...) {
        if (!lifetime.expired()) SendError(*uuid, "\"The call failed\"");
    }
}

void TBrowserExternalModule::RunCall(const nlohmann::json& call, const std::string& uuid) {
    const std::string idText = RequiredMember(call, "id");
    const auto data = call.find("data");
    if (data == call.end()) throw EBridgeError("Value 'data' not found");
    if (!data->is_object()) throw EBridgeError("Value 'data' must be an object");
    int32_t id = 0;
    const TFunctionEntry* entry = TTextConvert::TryStrToInt32(idText, id) ? FindFunction(id) : nullptr;
    if (!entry) throw EBridgeError("No function has the identifier '" + idText + "'");
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
    SendReplyTo(FCallReply, uuid, result, success);
}

void TBrowserExternalModule::SendReplyTo(const std::shared_ptr<IWebMessageReply>& target, std::string_view uuid,
                                         std::string_view result, bool success) {
    if (!target && !FWebView) return;
    std::string reply;
    reply.reserve(uuid.size() + result.size() + 48);
    reply += "{\"uuid\": \"";
    reply += uuid;
    reply += "\", \"success\": ";
    reply += success ? "true" : "false";
    reply += ", \"result\": ";
    reply += result;
    reply += '}';
    if (target) target->PostJson(reply);
    else FWebView->PostWebMessageAsJson(reply);
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
