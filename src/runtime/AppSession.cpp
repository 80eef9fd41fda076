#include "runtime/AppSession.h"

#include <filesystem>

#include "archive/AppPackage.h"
#include "bridge/ActiveTheme.h"
#include "runtime/AppCommandLine.h"
#include "runtime/AppDocuments.h"
#include "runtime/AppUrl.h"
#include "shared/ExeUtils.h"
#include "shared/StylesUtils.h"
#include "shared/Utf8Path.h"

namespace zorv {

namespace {

std::string WithTrailingDelimiter(std::string folder) {
    const char delimiter = static_cast<char>(std::filesystem::path::preferred_separator);
    if (!folder.empty() && folder.back() != delimiter) folder += delimiter;
    return folder;
}

}  // namespace

TAppSession::TAppSession(IStartupHost& host, std::vector<std::string> args, TBridgeServices services)
    : FServices(std::move(services)), FStartup(host, std::move(args), FServices.activeTheme) {}

TAppSession::~TAppSession() { CloseWindow(); }

// A project folder being run stands for the executable's folder: relative paths of the page name
// files of the project.
std::string TAppSession::AppDirPath() const {
    const TRuntimeState& state = State();
    if (state.ServesFolder()) return WithTrailingDelimiter(state.projectFolder);
    return WithTrailingDelimiter(PathToUtf8(Utf8Path(TExeUtils::RunningExePath()).parent_path()));
}

TBridgeContext TAppSession::BridgeContext() const {
    const TRuntimeState& state = State();
    TBridgeContext context;
    context.exePath = TExeUtils::RunningExePath();
    context.appDir = AppDirPath();
    context.commandLine.push_back(context.exePath);
    context.commandLine.insert(context.commandLine.end(), state.args.begin(), state.args.end());
    return context;
}

std::string TAppSession::ExtraScript() const {
    std::string script;
    if (State().package) (void)State().package->TryExtract("zorv-webviewjs", script);
    return script;
}

TPageHostOptions TAppSession::PageHostOptions() const {
    const TRuntimeState& state = State();
    TPageHostOptions options;
    options.package = state.package.get();
    options.appID = state.appID;
    options.appDirName = state.appDirName;
    options.appIndexHtml = state.appIndexHtml;
    options.appDirPath = AppDirPath();
    options.urlPrefix = TAppUrl::PrefixForSetting(state.settings.urlSpace);
    options.startUrl =
        TAppUrl::ToAppUrl(TAppCommandLine::StartUrl(state.args, state.appID, state.appIndexHtml, options.urlPrefix));
    options.allowDebug = state.settings.allowDebug;
    options.allowContextMenu = state.settings.allowContextMenu;
    if (state.ServesFolder()) options.relaunchOptions = TStartupSequence::FolderOptions(state);
    options.extraScript = ExtraScript();
    return options;
}

bool TAppSession::OpenWindow(IWindowFactory& factory) {
    CloseWindow();
    const TWindowSettings settings = TWindowSettings::FromSettings(State().settings);
    FBridge = std::make_unique<TBrowserExternalModule>(FServices, BridgeContext());
    FWindow = factory.MakeWindow(settings, *FBridge);
    if (!FWindow || !FWindow->PageHost()) {
        CloseWindow();
        return false;
    }
    FWindow->PageHost()->SetOptions(PageHostOptions());
    WireBridge(settings);
    FWindow->MainWindow().SetCaption(settings.caption);
    return true;
}

void TAppSession::WireBridge(const TWindowSettings& settings) {
    ISessionWindow& window = *FWindow;
    IPageHost& page = *window.PageHost();
    TBrowserExternalModule& bridge = *FBridge;
    bridge.SetAppPackage(State().package.get());
    bridge.SetSettings(&State().settings);
    bridge.SetMainForm(&window.MainWindow());
    bridge.SetWebView(&page.WebView());
    bridge.SetOnAppCloseRequest([&window] { window.AppCloseRequest(); });
    // Only documents the package answered call the bridge.
    bridge.SetAppDocumentRule([documents = TAppDocuments(page.Resolver())](const TWebMessage& message) {
        return documents.IsAppDocument(message.sourceUrl, message.sourceOrigin);
    });
    bridge.SetTopIsAppDocument([&window] { return window.PageCanAnswerCloseQuery(); });
    if (settings.fullScreen) bridge.SetInFullscreen(true);

    page.SetOnWebMessage([this](const TWebMessage& message) {
        if (FBridge) FBridge->EdgeBrowserWebMessageReceived(message);
    });
    page.SetOnDocumentTitleChanged([&window, dynamic = settings.dynamicAppTitle](const std::string& title) {
        if (dynamic) window.MainWindow().SetCaption(title);
    });
    // The bridge goes before the page host whose web view it talks through.
    window.SetOnClosing([this] { FBridge.reset(); });
}

void TAppSession::CloseWindow() {
    FBridge.reset();
    FWindow.reset();
}

std::unique_ptr<IFolderWatch> TAppSession::WatchProjectFolder(IWindowFactory& factory, bool& restart) {
    const TRuntimeState& state = State();
    if (!state.ServesFolder() || !state.reloadOnChange) return nullptr;
    return factory.WatchFolder(
        state.projectFolder, state.appDirName,
        [this] {
            if (IPageHost* page = FWindow ? FWindow->PageHost() : nullptr) page->ReloadPage();
        },
        [this, &restart] {
            // The window goes once its message loop has ended: a call running a nested loop (a
            // file dialog) ends as cancelled and returns first, while its bridge and page exist.
            restart = true;
            if (FWindow) FWindow->EndForRestart();
        });
}

int TAppSession::Run(IWindowFactory& factory) {
    for (;;) {
        if (!OpenWindow(factory)) return 0;
        bool restart = false;
        std::unique_ptr<IFolderWatch> watch = WatchProjectFolder(factory, restart);
        const int exitCode = FWindow->Run();
        watch.reset();
        CloseWindow();
        if (!restart) return exitCode;
        if (!FStartup.ReloadSettings()) {
            factory.ShowEndingError(SettingsLostText);
            return 1;
        }
        // The theme is one of the settings the window is made again with.
        if (FServices.activeTheme)
            FServices.activeTheme->TrySetStyle(State().settings.theme, TActiveTheme::TUnknownName::ShowError);
    }
}

}  // namespace zorv
