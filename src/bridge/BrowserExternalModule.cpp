#include "bridge/BrowserExternalModule.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "archive/AbZipKit.h"
#include "bridge/BridgeJson.h"
#include "bridge/BrowserExternalForm.h"
#include "bridge/TextConvert.h"
#include "archive/AppPackage.h"
#include "shared/ProjectSettings.h"
#include "platform/Dialogs.h"
#include "platform/MenuBar.h"
#include "platform/WebView.h"
#include "shared/FailureSink.h"
#include "shared/StrUtils.h"

namespace zorv {
namespace {

// The plain-string message a page posts on a click outside runtime mode, asking for the focus.
constexpr std::string_view FocusRequestMessage = "zorv-webbrowser-clicked";

// The uuid goes between the quotes of the reply unescaped; text that would break the reply's
// JSON is refused before anything runs.
bool IsSafeUuid(std::string_view uuid) {
    return std::none_of(uuid.begin(), uuid.end(),
                        [](char c) { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; });
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

// Every function the page can call, in the order window.zorv lists them: the one place its
// identifier and its path are written. The page script takes them from here (ZorvExternalJavascript).
const TBrowserExternalModule::TFunctionEntry TBrowserExternalModule::FunctionTable[] = {
    {10001, "hello", &TBrowserExternalModule::Hello, TPageArgs::None},
    {10002, "isRuntime", &TBrowserExternalModule::IsRuntime, TPageArgs::None},
    {20001, "dialogs.openFile", &TBrowserExternalModule::DialogsOpenFile, TPageArgs::Passed},
    {20002, "dialogs.saveFile", &TBrowserExternalModule::DialogsSaveFile, TPageArgs::Passed},
    {30001, "files.fileExists", &TBrowserExternalModule::FilesFileExists, TPageArgs::Passed},
    {30002, "files.deleteFile", &TBrowserExternalModule::FilesDeleteFile, TPageArgs::Passed},
    {30003, "files.writeTextFile", &TBrowserExternalModule::FilesWriteTextFile, TPageArgs::Passed},
    {30004, "files.extractFile", &TBrowserExternalModule::FilesExtractFile, TPageArgs::Passed},
    {40001, "folders.dirExists", &TBrowserExternalModule::FoldersDirExists, TPageArgs::Passed},
    {40002, "folders.deleteDir", &TBrowserExternalModule::FoldersDeleteDir, TPageArgs::Passed},
    {40003, "folders.getTempDir", &TBrowserExternalModule::FoldersGetTempDir, TPageArgs::None},
    {40004, "folders.getUserDocumentsDir", &TBrowserExternalModule::FoldersGetUserDocumentsDir, TPageArgs::None},
    {40005, "folders.getUserDesktopDir", &TBrowserExternalModule::FoldersGetUserDesktopDir, TPageArgs::None},
    {40006, "folders.getAppExecutableDir", &TBrowserExternalModule::FoldersGetAppExecutableDir, TPageArgs::None},
    {40007, "folders.getAppDataDir", &TBrowserExternalModule::FoldersGetAppDataDir, TPageArgs::None},
    {50001, "app.close", &TBrowserExternalModule::AppClose, TPageArgs::None},
    {50002, "app.inFullscreen", &TBrowserExternalModule::AppInFullscreen, TPageArgs::None},
    {50003, "app.enterFullscreen", &TBrowserExternalModule::AppEnterFullscreen, TPageArgs::None},
    {50004, "app.exitFullscreen", &TBrowserExternalModule::AppExitFullscreen, TPageArgs::None},
    {50005, "app.getArgs", &TBrowserExternalModule::AppGetArgs, TPageArgs::None},
    {60001, "window.getStyle", &TBrowserExternalModule::WindowGetStyle, TPageArgs::None},
    {60002, "window.setStyle", &TBrowserExternalModule::WindowSetStyle, TPageArgs::Passed},
    {60003, "window.getState", &TBrowserExternalModule::WindowGetState, TPageArgs::None},
    {60004, "window.setState", &TBrowserExternalModule::WindowSetState, TPageArgs::Passed},
    {60005, "window.getTitle", &TBrowserExternalModule::WindowGetTitle, TPageArgs::None},
    {60006, "window.setTitle", &TBrowserExternalModule::WindowSetTitle, TPageArgs::Passed},
    {70001, "shell.execute", &TBrowserExternalModule::ShellExecute, TPageArgs::Passed},
    {70002, "shell.explore", &TBrowserExternalModule::ShellExplore, TPageArgs::Passed},
    {70003, "shell.command", &TBrowserExternalModule::ShellCommand, TPageArgs::Passed},
    {70004, "shell.windows", &TBrowserExternalModule::ShellWindows, TPageArgs::None},
    {80001, "themes.getTheme", &TBrowserExternalModule::ThemesGetTheme, TPageArgs::None},
    {80002, "themes.getThemes", &TBrowserExternalModule::ThemesGetThemes, TPageArgs::None},
    {80003, "themes.setTheme", &TBrowserExternalModule::ThemesSetTheme, TPageArgs::Passed},
    {90001, "base64.decodeToFile", &TBrowserExternalModule::Base64DecodeToFile, TPageArgs::Passed},
    {11001, "system.logoff", &TBrowserExternalModule::SystemLogoff, TPageArgs::None},
    {11002, "system.reboot", &TBrowserExternalModule::SystemReboot, TPageArgs::None},
    {11003, "system.shutdown", &TBrowserExternalModule::SystemShutdown, TPageArgs::None},
    {11004, "system.getPlatform", &TBrowserExternalModule::SystemGetPlatform, TPageArgs::None},
    {12001, "mainMenu.setItems", &TBrowserExternalModule::MainMenuSetItems, TPageArgs::Passed},
    {12002, "mainMenu.updateItem", &TBrowserExternalModule::MainMenuUpdateItem, TPageArgs::Passed},
};

TBrowserExternalModule::TBrowserExternalModule(TBridgeServices services, TBridgeContext context)
    : FServices(std::move(services)), FContext(std::move(context)) {
    if (!FServices.operatingSystem) throw std::invalid_argument("The bridge needs the operating-system services");
    FBrowserExternalForm =
        std::make_unique<TBrowserExternalForm>([this](const std::string& path) { return ReadMenuImage(path); });
    if (FServices.menuBar) {
        FServices.menuBar->SetOnItemClick([this, lifetime = Lifetime()](int32_t tag) {
            if (!lifetime.Expired()) OnMainMenuItemClick(tag);
        });
    }
}

TBrowserExternalModule::~TBrowserExternalModule() {
    if (FServices.menuBar) FServices.menuBar->SetOnItemClick(nullptr);
}

std::string TBrowserExternalModule::MainMenuItemClickScript(int32_t tag) {
    return "zorv.events.onMainMenuItemClick(" + std::to_string(tag) + ");";
}

std::vector<TBrowserExternalModule::TFunctionInfo> TBrowserExternalModule::Functions() {
    std::vector<TFunctionInfo> functions;
    for (const TFunctionEntry& entry : FunctionTable) functions.push_back({entry.id, entry.pagePath, entry.pageArgs});
    return functions;
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
    const TLifetimeToken::TWatch lifetime = Lifetime();
    // What escapes a call here has no uuid to answer to; later calls are handled as usual.
    try {
        if (FIsAppDocument && FIsAppDocument(message)) Dispatch(message);
    } catch (const std::exception& error) {
        TFailureSink::Report(std::string("A web message could not be handled: ") + error.what());
    } catch (...) {
        TFailureSink::Report("A web message could not be handled");
    }
    if (!lifetime.Expired()) FCallReply = std::move(outerReply);
}

void TBrowserExternalModule::Dispatch(const TWebMessage& message) {
    if (!FPackage && message.asString && *message.asString == FocusRequestMessage) {
        if (FWebView) FWebView->FocusWebView();
        return;
    }
    const std::optional<nlohmann::json> call = TBridgeJson::Parse(message.asJson);
    if (!call) {
        // Valid JSON that nests too deep is still a call that can be answered.
        if (const std::optional<std::string> uuid = UsableUuid(TBridgeJson::TopLevelString(message.asJson, "uuid"))) {
            SendError(*uuid,
                      "The call's JSON nests deeper than " + std::to_string(TBridgeJson::DefaultMaxDepth) + " levels");
        }
        return;
    }
    if (!call->is_object()) return;
    const auto uuidMember = call->find("uuid");
    const std::optional<std::string> uuid = UsableUuid(uuidMember != call->end() && uuidMember->is_string()
                                                           ? std::optional<std::string>(uuidMember->get<std::string>())
                                                           : std::nullopt);
    if (!uuid) return;
    // Every call with a uuid to answer gets exactly one reply: an error that ends it early becomes
    // its error reply. Functions raise only before they reply.
    const TLifetimeToken::TWatch lifetime = Lifetime();
    try {
        RunCall(*call, *uuid);
    } catch (const std::exception& error) {
        if (!lifetime.Expired()) SendError(*uuid, error.what());
    } catch (...) {
        TFailureSink::Report("A bridge call failed with an exception that carries no message");
        if (!lifetime.Expired()) SendError(*uuid, "The call failed");
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
    (this->*entry->function)(uuid, TBridgeArguments(*data));
}

void TBrowserExternalModule::SendReply(std::string_view uuid, std::string_view result, bool success) {
    SendReplyTo(FCallReply, uuid, result, success);
}

void TBrowserExternalModule::SendError(std::string_view uuid, std::string_view message) {
    SendReply(uuid, TStrUtils::StringToJsonString(std::string(message)), false);
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
    if (target)
        target->PostJson(reply);
    else
        FWebView->PostWebMessageAsJson(reply);
}

IMainWindow& TBrowserExternalModule::RequireMainForm() const {
    if (!FMainForm) throw EBridgeError("The bridge has no main window");
    return *FMainForm;
}

std::string TBrowserExternalModule::ResolvePagePath(std::string_view pagePath) const {
    return TPagePaths::Resolve(pagePath, FContext.appDir, FContext.pathStyle);
}

std::string TBrowserExternalModule::AppDirName() const { return FSettings ? FSettings->dirName : std::string(); }

void TBrowserExternalModule::OnMainMenuItemClick(int32_t tag) {
    if (FTopIsAppDocument && !FTopIsAppDocument()) return;
    if (FWebView) FWebView->ExecuteScript(MainMenuItemClickScript(tag));
}

}  // namespace zorv
