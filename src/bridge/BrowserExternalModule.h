#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/BridgeArguments.h"
#include "bridge/PagePaths.h"
#include "bridge/WebMessage.h"
#include "platform/Dialogs.h"
#include "shared/Result.h"
#include "shared/LifetimeToken.h"

namespace zorv {

class IDialogs;
class IMainWindow;
class IMenuBar;
class IOperatingSystem;
class IUiThread;
class IWebView;
class IAppPackage;
class TBrowserExternalForm;
class TActiveTheme;
struct TProjectSettings;
struct TMenuItemModel;

// Where the runtime runs from.
struct TBridgeContext {
    std::string exePath;                   // full path of the running executable
    std::string appDir;                    // its folder, with a trailing delimiter: the base of relative page paths
    std::vector<std::string> commandLine;  // item 0 is the executable's path, then the arguments
    TPathStyle pathStyle = TPathStyle::Native;
};

// The platform services the bridge uses. Dialogs, menu bar and the theme holder must outlive the
// module. The operating system and the UI thread are shared because shell.command uses them from
// a worker thread that may outlive the module.
struct TBridgeServices {
    IDialogs* dialogs = nullptr;
    IMenuBar* menuBar = nullptr;
    TActiveTheme* activeTheme = nullptr;  // the process's active theme and its engine
    std::shared_ptr<IOperatingSystem> operatingSystem;
    std::shared_ptr<IUiThread> uiThread;
};

// The native side of window.zorv: takes each web message of an application page, runs the function
// its identifier names and posts the reply {"uuid": "...", "success": ..., "result": ...}.
// Lives on the UI thread; no call ever throws out of EdgeBrowserWebMessageReceived.
class TBrowserExternalModule {
public:
    TBrowserExternalModule(TBridgeServices services, TBridgeContext context);
    ~TBrowserExternalModule();
    TBrowserExternalModule(const TBrowserExternalModule&) = delete;
    TBrowserExternalModule& operator=(const TBrowserExternalModule&) = delete;

    // The web view's web-message handler.
    void EdgeBrowserWebMessageReceived(const TWebMessage& message);

    // What a function's stub in the page posts as the call's data: the caller's argument object,
    // or a new empty object whatever the caller passes.
    enum class TPageArgs { Passed, None };
    // Every function the page can call: its identifier, its path under window.zorv
    // ("files.fileExists") and what its stub posts. The page script is given this list
    // (ZorvExternalJavascript); types/zorv.d.ts must name the same paths, as a test checks.
    struct TFunctionInfo {
        int32_t id;
        const char* pagePath;
        TPageArgs pageArgs;
    };
    static std::vector<TFunctionInfo> Functions();

    // The script native code runs in the page when a menu item is clicked.
    static std::string MainMenuItemClickScript(int32_t tag);

    // Decides from a message's source whether an application document posted it. Messages of any
    // other document run nothing and get no reply. Until a rule is set, no document may call.
    using TAppDocumentRule = std::function<bool(const TWebMessage& message)>;
    void SetAppDocumentRule(TAppDocumentRule rule) { FIsAppDocument = std::move(rule); }
    // Whether the top document is an application document now; menu clicks reach only such a
    // document. Without it, every top document is taken for one.
    void SetTopIsAppDocument(std::function<bool()> topIsApp) { FTopIsAppDocument = std::move(topIsApp); }

    // What the application shipped (borrowed); its presence is runtime mode.
    const IAppPackage* AppPackage() const { return FPackage; }
    void SetAppPackage(const IAppPackage* package) { FPackage = package; }
    IMainWindow* MainForm() const { return FMainForm; }
    void SetMainForm(IMainWindow* mainForm) { FMainForm = mainForm; }
    // The settings start-up read (borrowed); without them each function takes the defaults.
    const TProjectSettings* Settings() const { return FSettings; }
    void SetSettings(const TProjectSettings* settings) { FSettings = settings; }
    // The page host's web view, which carries replies and event scripts.
    IWebView* WebView() const { return FWebView; }
    void SetWebView(IWebView* webView) { FWebView = webView; }
    bool InFullscreen() const { return FInFullscreen; }
    void SetInFullscreen(bool inFullscreen) { FInFullscreen = inFullscreen; }
    void SetOnAppCloseRequest(std::function<void()> handler) { FOnAppCloseRequest = std::move(handler); }

    // Replies go back to the document of the call being dispatched.
    void SendReply(std::string_view uuid, std::string_view result, bool success);
    void SendSuccess(std::string_view uuid, std::string_view result) { SendReply(uuid, result, true); }
    // The one way to send an error reply: the message as plain text, quoted here.
    void SendError(std::string_view uuid, std::string_view message);

private:
    using TFunction = void (TBrowserExternalModule::*)(const std::string& uuid, const TBridgeArguments& args);
    struct TFunctionEntry {
        int32_t id;
        const char* pagePath;  // under window.zorv
        TFunction function;
        TPageArgs pageArgs;
    };
    static const TFunctionEntry* FindFunction(int32_t id);
    void Dispatch(const TWebMessage& message);
    void RunCall(const nlohmann::json& call, const std::string& uuid);
    // The way back to the document of the call being dispatched, for replies made later.
    std::shared_ptr<IWebMessageReply> CallReply() const { return FCallReply; }
    void SendReplyTo(const std::shared_ptr<IWebMessageReply>& target, std::string_view uuid, std::string_view result,
                     bool success);
    // Whether the module still exists after something that may have run a nested message loop.
    TLifetimeToken::TWatch Lifetime() const { return FLifetime.Watch(); }

    IMainWindow& RequireMainForm() const;
    std::string ResolvePagePath(std::string_view pagePath) const;
    std::string AppDirName() const;
    void OnMainMenuItemClick(int32_t tag);
    std::string ReadMenuImage(const std::string& path) const;
    void ShowMenu();
    TStatus BuildMainMenu(const std::string& itemsText);
    void UpdateMenuItem(TMenuItemModel& item, const TBridgeArguments& args);

    // App and window functions.
    void Hello(const std::string& uuid, const TBridgeArguments& args);
    void IsRuntime(const std::string& uuid, const TBridgeArguments& args);
    void AppClose(const std::string& uuid, const TBridgeArguments& args);
    void AppInFullscreen(const std::string& uuid, const TBridgeArguments& args);
    void AppEnterFullscreen(const std::string& uuid, const TBridgeArguments& args);
    void AppExitFullscreen(const std::string& uuid, const TBridgeArguments& args);
    void AppGetArgs(const std::string& uuid, const TBridgeArguments& args);
    void WindowGetStyle(const std::string& uuid, const TBridgeArguments& args);
    void WindowSetStyle(const std::string& uuid, const TBridgeArguments& args);
    void WindowGetState(const std::string& uuid, const TBridgeArguments& args);
    void WindowSetState(const std::string& uuid, const TBridgeArguments& args);
    void WindowGetTitle(const std::string& uuid, const TBridgeArguments& args);
    void WindowSetTitle(const std::string& uuid, const TBridgeArguments& args);
    // Files, folders and Base64.
    void FilesFileExists(const std::string& uuid, const TBridgeArguments& args);
    void FilesDeleteFile(const std::string& uuid, const TBridgeArguments& args);
    void FilesWriteTextFile(const std::string& uuid, const TBridgeArguments& args);
    void FilesExtractFile(const std::string& uuid, const TBridgeArguments& args);
    void FoldersDirExists(const std::string& uuid, const TBridgeArguments& args);
    void FoldersDeleteDir(const std::string& uuid, const TBridgeArguments& args);
    void FoldersGetTempDir(const std::string& uuid, const TBridgeArguments& args);
    void FoldersGetUserDocumentsDir(const std::string& uuid, const TBridgeArguments& args);
    void FoldersGetUserDesktopDir(const std::string& uuid, const TBridgeArguments& args);
    void FoldersGetAppExecutableDir(const std::string& uuid, const TBridgeArguments& args);
    void FoldersGetAppDataDir(const std::string& uuid, const TBridgeArguments& args);
    void Base64DecodeToFile(const std::string& uuid, const TBridgeArguments& args);
    // File dialogs.
    void DialogsOpenFile(const std::string& uuid, const TBridgeArguments& args);
    void DialogsSaveFile(const std::string& uuid, const TBridgeArguments& args);
    void ShowFileDialog(const std::string& uuid, const TBridgeArguments& args, TFileDialogKind kind);
    // Shell and system.
    void ShellExecute(const std::string& uuid, const TBridgeArguments& args);
    void ShellExplore(const std::string& uuid, const TBridgeArguments& args);
    void ShellCommand(const std::string& uuid, const TBridgeArguments& args);
    void ShellWindows(const std::string& uuid, const TBridgeArguments& args);
    void SystemLogoff(const std::string& uuid, const TBridgeArguments& args);
    void SystemReboot(const std::string& uuid, const TBridgeArguments& args);
    void SystemShutdown(const std::string& uuid, const TBridgeArguments& args);
    void SystemGetPlatform(const std::string& uuid, const TBridgeArguments& args);
    void SendSystemResult(const std::string& uuid, const TStatus& outcome);
    // Native main menu.
    void MainMenuSetItems(const std::string& uuid, const TBridgeArguments& args);
    void MainMenuUpdateItem(const std::string& uuid, const TBridgeArguments& args);
    // Themes.
    void ThemesGetTheme(const std::string& uuid, const TBridgeArguments& args);
    void ThemesGetThemes(const std::string& uuid, const TBridgeArguments& args);
    void ThemesSetTheme(const std::string& uuid, const TBridgeArguments& args);

    static const TFunctionEntry FunctionTable[];

    TBridgeServices FServices;
    TBridgeContext FContext;
    TAppDocumentRule FIsAppDocument;
    std::function<bool()> FTopIsAppDocument;
    std::shared_ptr<IWebMessageReply> FCallReply;
    const IAppPackage* FPackage = nullptr;
    IMainWindow* FMainForm = nullptr;
    const TProjectSettings* FSettings = nullptr;
    IWebView* FWebView = nullptr;
    bool FInFullscreen = false;
    std::function<void()> FOnAppCloseRequest;
    std::unique_ptr<TBrowserExternalForm> FBrowserExternalForm;
    bool FOpenDialogShowing = false;
    bool FSaveDialogShowing = false;
    TLifetimeToken FLifetime;
};

}  // namespace zorv
