// zorv.hello, zorv.isRuntime, zorv.app.* and zorv.window.*: the runtime's version, closing,
// full screen, the command line, and the main window's style, state and title.
#include "bridge/BrowserExternalModule.h"

#include "platform/MainWindow.h"
#include "shared/ProjectSettings.h"
#include "shared/StrUtils.h"

namespace zorv {
namespace {

constexpr const char* VersionText = "\"2022.1\"";

const char* StateName(TWindowState state) {
    switch (state) {
        case TWindowState::Minimized: return "\"minimized\"";
        case TWindowState::Maximized: return "\"maximized\"";
        case TWindowState::Normal: break;
    }
    return "\"normal\"";
}

std::optional<TWindowState> StateFromName(std::string_view name) {
    if (name == "normal") return TWindowState::Normal;
    if (name == "minimized") return TWindowState::Minimized;
    if (name == "maximized") return TWindowState::Maximized;
    return std::nullopt;
}

// Border styles outside the six known ones fall back to the default, a sizeable border.
TBorderStyle BorderFromSetting(int32_t value) {
    return value >= 0 && value <= 5 ? static_cast<TBorderStyle>(value) : TBorderStyle::Sizeable;
}

}  // namespace

void TBrowserExternalModule::Hello(const std::string& uuid, const TBridgeArguments&) { SendSuccess(uuid, VersionText); }

void TBrowserExternalModule::IsRuntime(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, FPackage ? "true" : "false");
}

void TBrowserExternalModule::AppClose(const std::string&, const TBridgeArguments&) {
    if (FOnAppCloseRequest) FOnAppCloseRequest();
}

void TBrowserExternalModule::AppInFullscreen(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, FInFullscreen ? "true" : "false");
}

void TBrowserExternalModule::AppEnterFullscreen(const std::string&, const TBridgeArguments&) {
    if (FInFullscreen) return;
    IMainWindow& window = RequireMainForm();
    FInFullscreen = true;
    window.SetBorderStyle(TBorderStyle::None);
    window.SetWindowState(TWindowState::Maximized);
}

void TBrowserExternalModule::AppExitFullscreen(const std::string&, const TBridgeArguments&) {
    if (!FInFullscreen) return;
    IMainWindow& window = RequireMainForm();
    FInFullscreen = false;
    window.SetWindowState(TWindowState::Normal);
    const int32_t border = (FSettings ? *FSettings : TProjectSettings::Defaults()).windowBorder;
    window.SetBorderStyle(BorderFromSetting(border));
}

void TBrowserExternalModule::AppGetArgs(const std::string& uuid, const TBridgeArguments&) {
    std::string result = "[";
    // Item 0 is always the executable, even when the host gave no command line.
    result += TStrUtils::StringToJsonString(FContext.exePath);
    for (std::size_t i = 1; i < FContext.commandLine.size(); ++i) {
        result += ',';
        result += TStrUtils::StringToJsonString(FContext.commandLine[i]);
    }
    result += ']';
    SendSuccess(uuid, result);
}

void TBrowserExternalModule::WindowGetStyle(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, RequireMainForm().GetFormStyle() == TFormStyle::StayOnTop ? "\"ontop\"" : "\"normal\"");
}

void TBrowserExternalModule::WindowSetStyle(const std::string& uuid, const TBridgeArguments& args) {
    const std::string style = args.ReadString("style", "normal");
    RequireMainForm().SetFormStyle(style == "ontop" ? TFormStyle::StayOnTop : TFormStyle::Normal);
    SendSuccess(uuid, "true");
}

void TBrowserExternalModule::WindowGetState(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, StateName(RequireMainForm().GetWindowState()));
}

void TBrowserExternalModule::WindowSetState(const std::string& uuid, const TBridgeArguments& args) {
    const std::string name = args.ReadString("state", "normal");
    IMainWindow& window = RequireMainForm();
    if (const std::optional<TWindowState> state = StateFromName(name)) window.SetWindowState(*state);
    SendSuccess(uuid, "true");
}

void TBrowserExternalModule::WindowGetTitle(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, TStrUtils::StringToJsonString(RequireMainForm().GetCaption()));
}

void TBrowserExternalModule::WindowSetTitle(const std::string& uuid, const TBridgeArguments& args) {
    const std::string title = args.ReadString("title");
    RequireMainForm().SetCaption(title);
    SendSuccess(uuid, "true");
}

}  // namespace zorv
