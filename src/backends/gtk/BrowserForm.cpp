#include "backends/gtk/BrowserForm.h"

#include <filesystem>

#include "backends/gtk/GLibOwned.h"
#include "backends/gtk/GtkDialogs.h"
#include "backends/gtk/GtkOperatingSystem.h"
#include "bridge/ZorvExternalJavascript.h"
#include "runtime/AppUrl.h"
#include "runtime/AppCommandLine.h"
#include "runtime/DocumentStartScript.h"
#include "runtime/ResourceResolver.h"
#include "archive/AppPackage.h"
#include "shared/Utf8Path.h"
#include "shared/ExeUtils.h"
#include "shared/FailureSink.h"

namespace zorv {

namespace {

constexpr guint PulseIntervalMs = 100;

WebKitWebContext* NewWebContext(const std::string& dataDir) {
    if (dataDir.empty()) return webkit_web_context_new_ephemeral();
    const std::string base = dataDir + "WebKit";
    const TGObjectOwned<WebKitWebsiteDataManager> manager(WEBKIT_WEBSITE_DATA_MANAGER(
        g_object_new(WEBKIT_TYPE_WEBSITE_DATA_MANAGER, "base-data-directory", (base + "/data").c_str(),
                     "base-cache-directory", (base + "/cache").c_str(), nullptr)));
    return webkit_web_context_new_with_website_data_manager(manager.get());
}

}  // namespace

TBrowserForm::TBrowserForm(const std::string& dataDir) : FContext(NewWebContext(dataDir)) {
    FSchemeHandler = std::make_unique<TAppSchemeHandler>(FContext.get());
    FWebKitBrowser = std::make_unique<TWebKitBrowser>(FContext.get());
    FWebKitBrowser->OnNewWindowRequested = [this](const std::string& uri, bool userGesture) {
        return NewWindowRequested(uri, userGesture);
    };
    FWebKitBrowser->OnUserGesture = [this](const std::string& url, const std::string& origin, bool elsewhere) {
        if (!FGate) return;
        if (elsewhere)
            FGate->UserActivatedElsewhere(TAppContentGate::TClock::now());
        else
            FGate->UserActivated(url, origin, TAppContentGate::TClock::now());
    };
    FWebKitBrowser->OnTopNavigationResponse = [this](const std::string& uri, bool userGesture) {
        return TopNavigationAnswered(uri, userGesture);
    };
    FWebKitBrowser->OnNavigationCompleted = [this](bool) { NavigationCompleted(); };
    FWebKitBrowser->OnNavigationStarting = [this](const std::string& uri, TNavigationCause cause) {
        return FGate && FGate->MayNavigate(uri, cause);
    };
    FWebKitBrowser->OnDocumentCommitted = [this](const std::string& uri) {
        if (FGate) FGate->DocumentCommitted(uri);
    };
    FWebKitBrowser->OnPermissionRequested = [this](bool takesGesture) {
        return FGate && FGate->MayGrantPermission(takesGesture, TAppContentGate::TClock::now());
    };
    g_signal_connect(FContext.get(), "download-started", G_CALLBACK(HandleDownloadStarted), this);

    FBox = SinkWidget(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0));
    gtk_box_pack_start(GTK_BOX(FBox.get()), FWebKitBrowser->Widget(), TRUE, TRUE, 0);
    FProgressBar = gtk_progress_bar_new();
    gtk_widget_set_size_request(FProgressBar, -1, 4);
    gtk_box_pack_end(GTK_BOX(FBox.get()), FProgressBar, FALSE, FALSE, 0);
    gtk_progress_bar_set_pulse_step(GTK_PROGRESS_BAR(FProgressBar), 0.1);
    FPulseSource = g_timeout_add(PulseIntervalMs, PulseProgressBar, this);

    TGtkSystemCalls calls = TGtkSystemCalls::Real();
    SpawnDetached = [spawn = calls.spawnDetached](const std::vector<std::string>& argv) {
        return TFailureSink::Passed(spawn(argv));
    };
    OpenUri = [open = calls.openUri](const std::string& uri) { return TFailureSink::Passed(open(uri)); };
    ChooseDownloadPath = [this](const std::string& suggestedName) {
        TFileDialogOptions options;
        options.title = "Save download";
        options.fileName = suggestedName;
        options.overwritePrompt = true;
        GtkWidget* top = gtk_widget_get_toplevel(FBox.get());
        return TGtkDialogs([top] { return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr; }).ShowSaveDialog(options);
    };
}

TBrowserForm::~TBrowserForm() {
    if (FPulseSource) g_source_remove(FPulseSource);
    g_signal_handlers_disconnect_by_data(FContext.get(), this);
    FWebKitBrowser->OnNewWindowRequested = nullptr;
    FWebKitBrowser->OnUserGesture = nullptr;
    FWebKitBrowser->OnTopNavigationResponse = nullptr;
    FWebKitBrowser->OnNavigationCompleted = nullptr;
    FWebKitBrowser->OnNavigationStarting = nullptr;
    FWebKitBrowser->OnDocumentCommitted = nullptr;
    FWebKitBrowser->OnPermissionRequested = nullptr;
    // The widgets go first: the web view must not outlive the handler of its scheme.
    FBox.reset();
    FWebKitBrowser.reset();
    FMediaServer.reset();
    FSchemeHandler.reset();
    FContext.reset();
}

void TBrowserForm::Start() {
    const TResourceResolver resolver = Resolver();
    FGate.emplace(TAppDocuments(resolver));
    FSchemeHandler->SetResolver(resolver);
    const auto mayRequest = [this](const std::string& uri, std::optional<std::string_view> requesterOrigin) {
        return FGate->MayRequest(uri, requesterOrigin);
    };
    FSchemeHandler->SetRequestFilter(mayRequest);
    FWebKitBrowser->AddDocumentStartScript(
        TDocumentStartScript::Compose(ZorvExternalJavascript(), FOptions.extraScript));
    StartMediaServer(resolver, mayRequest);
    FWebKitBrowser->SetDevToolsEnabled(FOptions.allowDebug);
    FWebKitBrowser->SetDefaultContextMenusEnabled(FOptions.allowContextMenu);
    if (!FOptions.startUrl.empty()) FWebKitBrowser->Navigate(FOptions.startUrl);
}

// Media elements are pointed at a loopback server, as the engine's player cannot read the
// application's scheme; without it they stay as they are.
void TBrowserForm::StartMediaServer(const TResourceResolver& resolver, TAppSchemeHandler::TRequestFilter filter) {
    FMediaServer = std::make_unique<TMediaServer>();
    // Besides the archive, the application may play the files of its own folder: the project
    // folder of a project run from its folder; a packaged application has none.
    const IAppPackage* package = FOptions.package;
    FMediaServer->SetResolver(resolver, package && package->IsFolder() ? FOptions.appDirPath : std::string());
    FMediaServer->SetRequestFilter(std::move(filter));
    if (TFailureSink::Passed(FMediaServer->Listen()))
        FWebKitBrowser->AddDocumentStartScript(FMediaServer->MediaScript());
}

TResourceResolver TBrowserForm::Resolver() const {
    TResourceResolver resolver(FOptions.package, FOptions.appDirName, FOptions.appDirPath, FOptions.urlPrefix);
    resolver.SetIndexPage(FOptions.appIndexHtml);
    return resolver;
}

bool TBrowserForm::ProgressBarVisible() const { return gtk_widget_get_visible(FProgressBar); }

bool TBrowserForm::NewWindowRequested(const std::string& uri, bool userGesture) {
    if (!FGate) return false;
    switch (FGate->NewWindowAction(uri, userGesture, TAppContentGate::TClock::now())) {
        case TNewWindowAction::StartInstance: {
            std::vector<std::string> argv{TExeUtils::RunningExePath()};
            argv.insert(argv.end(), FOptions.relaunchOptions.begin(), FOptions.relaunchOptions.end());
            for (std::string& arg : TAppCommandLine::RelaunchArguments(FOptions.appID, TAppUrl::ToAppUrl(uri)))
                argv.push_back(std::move(arg));
            return SpawnDetached && SpawnDetached(argv);
        }
        // Web addresses open in the desktop's browser rather than nowhere.
        case TNewWindowAction::OpenInBrowser: return OpenUri && OpenUri(uri);
        case TNewWindowAction::Refuse: break;
    }
    return false;
}

// The application's window shows no address: a page that another frame put on top in its place
// would pass for the application. Such a web address goes to the desktop's browser instead.
bool TBrowserForm::TopNavigationAnswered(const std::string& uri, bool userGesture) {
    if (!FGate) return true;
    switch (FGate->TopNavigationAction(uri, userGesture, TAppContentGate::TClock::now())) {
        case TLeaveAction::Load: return true;
        case TLeaveAction::OpenInBrowser:
            if (OpenUri) OpenUri(uri);
            return false;
        case TLeaveAction::Refuse: break;
    }
    return false;
}

// Nothing is saved without the user: an application document's download asks where it goes
// (cancel writes nothing); a download that another document started is refused.
void TBrowserForm::HandleDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer self) {
    auto* form = static_cast<TBrowserForm*>(self);
    if (!form->IsApplicationDownload(download) || !form->ChooseDownloadPath) {
        webkit_download_cancel(download);
        return;
    }
    g_signal_connect(download, "decide-destination", G_CALLBACK(HandleDecideDestination), self);
}

bool TBrowserForm::IsApplicationDownload(WebKitDownload* download) const {
    WebKitURIRequest* request = webkit_download_get_request(download);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (!FGate || !uri) return false;
    const std::optional<bool> byTop = FWebKitBrowser->SavedByTopNavigation(uri);
    return FGate->MayDownload(uri, byTop == false, byTop == true, TAppContentGate::TClock::now());
}

gboolean TBrowserForm::HandleDecideDestination(WebKitDownload* download, gchar* suggestedName, gpointer self) {
    auto* form = static_cast<TBrowserForm*>(self);
    const std::optional<std::string> path = form->ChooseDownloadPath(suggestedName ? suggestedName : "");
    TGCharOwned uri(path ? g_filename_to_uri(path->c_str(), nullptr, nullptr) : nullptr);
    if (!uri) {
        webkit_download_cancel(download);
        return TRUE;
    }
    // The dialog has asked before replacing a file.
    webkit_download_set_allow_overwrite(download, TRUE);
    webkit_download_set_destination(download, uri.get());
    return TRUE;
}

void TBrowserForm::NavigationCompleted() {
    if (FPulseSource) {
        g_source_remove(FPulseSource);
        FPulseSource = 0;
    }
    gtk_widget_hide(FProgressBar);
}

gboolean TBrowserForm::PulseProgressBar(gpointer self) {
    gtk_progress_bar_pulse(GTK_PROGRESS_BAR(static_cast<TBrowserForm*>(self)->FProgressBar));
    return G_SOURCE_CONTINUE;
}

}  // namespace zorv
