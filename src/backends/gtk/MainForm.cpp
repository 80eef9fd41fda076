#include "backends/gtk/MainForm.h"

#include "backends/gtk/BrowserForm.h"
#include "runtime/AppDocuments.h"

namespace zorv {

TMainForm::TMainForm(const TWindowSettings& settings, const TBrowserExternalModule& bridge, const std::string& dataDir,
                     GtkWidget* menuBar)
    : FBridge(bridge),
      FWindow(SinkWidget(GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL)))),
      FCloseProtocol([this](const std::string& script) { RunCloseQueryScript(script); }) {
    g_signal_connect(FWindow.get(), "delete-event", G_CALLBACK(HandleDeleteEvent), this);
    g_signal_connect(FWindow.get(), "window-state-event", G_CALLBACK(HandleWindowStateEvent), this);

    FBrowserForm = std::make_unique<TBrowserForm>(dataDir);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    if (menuBar) gtk_box_pack_start(GTK_BOX(box), menuBar, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), FBrowserForm->Widget(), TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(FWindow.get()), box);

    g_set_application_name(settings.caption.c_str());
    ApplyWindowSettings(settings);
}

TMainForm::~TMainForm() {
    FLifetime.Expire();
    g_signal_handlers_disconnect_by_data(FWindow.get(), this);
    if (FOnClosing) FOnClosing();
    FBrowserForm.reset();
    FWindow.reset();
}

IPageHost* TMainForm::PageHost() { return FBrowserForm.get(); }

int TMainForm::Run() {
    Show();
    gtk_main();
    return 0;
}

void TMainForm::Show() {
    gtk_widget_show_all(GTK_WIDGET(FWindow.get()));
    if (FWindowState == TWindowState::Maximized) SetWindowState(TWindowState::Maximized);
    FBrowserForm->Start();
}

void TMainForm::ApplyWindowSettings(const TWindowSettings& settings) {
    gtk_window_set_default_size(FWindow.get(), settings.width, settings.height);
    GdkGeometry geometry{};
    int hints = 0;
    if (settings.minWidth > 0 || settings.minHeight > 0) {
        geometry.min_width = settings.minWidth;
        geometry.min_height = settings.minHeight;
        hints |= GDK_HINT_MIN_SIZE;
    }
    if (settings.maxWidth > 0 || settings.maxHeight > 0) {
        geometry.max_width = settings.maxWidth > 0 ? std::max(settings.maxWidth, settings.minWidth) : G_MAXSHORT;
        geometry.max_height = settings.maxHeight > 0 ? std::max(settings.maxHeight, settings.minHeight) : G_MAXSHORT;
        hints |= GDK_HINT_MAX_SIZE;
    }
    if (hints) gtk_window_set_geometry_hints(FWindow.get(), nullptr, &geometry, static_cast<GdkWindowHints>(hints));
    // Top and Left never decide the place: the window is centred, or the window manager places it.
    gtk_window_set_position(FWindow.get(), settings.centred ? GTK_WIN_POS_CENTER : GTK_WIN_POS_NONE);
    if (settings.border == TBorderStyle::ToolWindow || settings.border == TBorderStyle::SizeToolWin)
        gtk_window_set_type_hint(FWindow.get(), GDK_WINDOW_TYPE_HINT_UTILITY);
    else if (settings.border == TBorderStyle::Dialog)
        gtk_window_set_type_hint(FWindow.get(), GDK_WINDOW_TYPE_HINT_DIALOG);
    SetBorderStyle(settings.border);
    FWindowState = settings.state;
    if (settings.stayOnTop) SetFormStyle(TFormStyle::StayOnTop);
}

void TMainForm::SetBorderStyle(TBorderStyle style) {
    FBorderStyle = style;
    gtk_window_set_decorated(FWindow.get(), style != TBorderStyle::None);
    gtk_window_set_resizable(FWindow.get(), style == TBorderStyle::Sizeable || style == TBorderStyle::SizeToolWin ||
                                                style == TBorderStyle::None);
}

// Full screen is entered as border none, then maximised, while the bridge's full-screen flag is
// set (at start-up from the settings, or by app.enterFullscreen). The maximised state then is the
// toolkit's real full screen, which also covers the desktop's panels and docks; it is reported as
// maximised. Any other state leaves it, and the window manager gives back the earlier size.
bool TMainForm::FullscreenWanted() const { return FBridge.InFullscreen(); }

void TMainForm::EnterToolkitFullscreen() {
    FToolkitFullscreen = true;
    gtk_window_deiconify(FWindow.get());
    gtk_window_fullscreen(FWindow.get());
}

void TMainForm::LeaveToolkitFullscreen() {
    if (!FToolkitFullscreen) return;
    FToolkitFullscreen = false;
    gtk_window_unfullscreen(FWindow.get());
}

void TMainForm::SetWindowState(TWindowState state) {
    FWindowState = state;
    if (state == TWindowState::Maximized && FullscreenWanted()) {
        EnterToolkitFullscreen();
        return;
    }
    LeaveToolkitFullscreen();
    switch (state) {
        case TWindowState::Minimized: gtk_window_iconify(FWindow.get()); break;
        case TWindowState::Maximized:
            gtk_window_deiconify(FWindow.get());
            gtk_window_maximize(FWindow.get());
            break;
        case TWindowState::Normal:
            gtk_window_deiconify(FWindow.get());
            gtk_window_unmaximize(FWindow.get());
            break;
    }
}

// Looked up by type name: GDK's X11 header brings Xlib's macros (None among them), which clash
// with this file's names.
bool TMainForm::KeepAboveApplies() const {
    const GType x11Display = g_type_from_name("GdkX11Display");
    return x11Display != 0 && G_TYPE_CHECK_INSTANCE_TYPE(gtk_widget_get_display(GTK_WIDGET(FWindow.get())), x11Display);
}

void TMainForm::SetFormStyle(TFormStyle style) {
    const bool above = style == TFormStyle::StayOnTop && KeepAboveApplies();
    FFormStyle = above ? TFormStyle::StayOnTop : TFormStyle::Normal;
    gtk_window_set_keep_above(FWindow.get(), above);
}

std::string TMainForm::GetCaption() const {
    const char* title = gtk_window_get_title(FWindow.get());
    return title ? title : "";
}

void TMainForm::SetCaption(const std::string& caption) { gtk_window_set_title(FWindow.get(), caption.c_str()); }

void TMainForm::AppCloseRequest() {
    FCloseProtocol.AllowClose();
    Close();
}

void TMainForm::Close() {
    if (FClosed) return;
    if (!FCloseProtocol.CloseQuery(PageCanAnswerCloseQuery())) return;
    FClosed = true;
    gtk_widget_hide(GTK_WIDGET(FWindow.get()));
    gtk_main_quit();
}

void TMainForm::CloseForRestart() {
    if (FClosed) return;
    FClosed = true;
    gtk_widget_hide(GTK_WIDGET(FWindow.get()));
    gtk_main_quit();
}

bool TMainForm::PageCanAnswerCloseQuery() const {
    TWebKitBrowser& browser = FBrowserForm->WebKitBrowser();
    return browser.PageAlive() && AppDocuments().IsAppDocument(browser.LocationURL());
}

TAppDocuments TMainForm::AppDocuments() const { return TAppDocuments(FBrowserForm->Resolver()); }

void TMainForm::RunCloseQueryScript(const std::string& script) {
    // A page that cannot run the question (no window.zorv, a script error) cannot answer it either:
    // the window then closes rather than staying open for good.
    FBrowserForm->WebKitBrowser().ExecuteScript(script, [this, alive = FLifetime.Watch()](bool succeeded) {
        if (succeeded || alive.Expired()) return;
        AppCloseRequest();
    });
}

gboolean TMainForm::HandleDeleteEvent(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<TMainForm*>(self)->Close();
    return TRUE;  // the window is never destroyed by GTK itself
}

// Follows what the window manager did, the user's own changes included. Only changes of the
// flags in question count: a focus change says nothing about a state asked for and not yet shown.
gboolean TMainForm::HandleWindowStateEvent(GtkWidget*, GdkEventWindowState* event, gpointer self) {
    auto* form = static_cast<TMainForm*>(self);
    const GdkWindowState state = event->new_window_state;
    constexpr int filling = GDK_WINDOW_STATE_MAXIMIZED | GDK_WINDOW_STATE_FULLSCREEN;
    if (event->changed_mask & (GDK_WINDOW_STATE_ICONIFIED | filling)) {
        if (state & GDK_WINDOW_STATE_ICONIFIED)
            form->FWindowState = TWindowState::Minimized;
        else if (state & filling)
            form->FWindowState = TWindowState::Maximized;
        else
            form->FWindowState = TWindowState::Normal;
    }
    if (event->changed_mask & GDK_WINDOW_STATE_ABOVE)
        form->FFormStyle = state & GDK_WINDOW_STATE_ABOVE ? TFormStyle::StayOnTop : TFormStyle::Normal;
    return FALSE;
}

}  // namespace zorv
