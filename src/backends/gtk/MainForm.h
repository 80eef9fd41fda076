#pragma once
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "backends/gtk/GLibOwned.h"
#include "bridge/BrowserExternalModule.h"
#include "platform/MainWindow.h"
#include "runtime/AppDocuments.h"
#include "runtime/AppSession.h"
#include "runtime/CloseProtocol.h"
#include "runtime/WindowSettings.h"
#include "shared/LifetimeToken.h"

namespace zorv {

class TBrowserForm;

// The application's only top-level window: a GTK window holding the optional native menu bar and
// the page host. It takes its look from the settings and closes only once the page has agreed
// through zorv.app.close(). Closing it quits the GTK main loop.
class TMainForm final : public IMainWindow, public ISessionWindow {
public:
    // `menuBar` is packed above the page when given. Web site data lives under `dataDir`. The
    // bridge tells whether full screen is wanted.
    TMainForm(const TWindowSettings& settings, const TBrowserExternalModule& bridge, const std::string& dataDir,
              GtkWidget* menuBar);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    void Show();
    GtkWindow* Window() const { return FWindow.get(); }
    TBrowserForm& BrowserForm() { return *FBrowserForm; }
    const TLifetimeToken& Lifetime() const { return FLifetime; }

    // ISessionWindow.
    IMainWindow& MainWindow() override { return *this; }
    IPageHost* PageHost() override;
    bool PageCanAnswerCloseQuery() const override;
    void AppCloseRequest() override;
    void SetOnClosing(std::function<void()> handler) override { FOnClosing = std::move(handler); }
    int Run() override;
    void EndForRestart() override { CloseForRestart(); }

    // IMainWindow.
    TBorderStyle GetBorderStyle() const override { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style) override;
    TWindowState GetWindowState() const override { return FWindowState; }
    void SetWindowState(TWindowState state) override;
    // Stay-on-top is reported only where the window system applies it: on X11 through the
    // window manager; Wayland gives clients no way to keep a window above others.
    TFormStyle GetFormStyle() const override { return FFormStyle; }
    void SetFormStyle(TFormStyle style) override;
    std::string GetCaption() const override;
    void SetCaption(const std::string& caption) override;

    // A close attempt, as the window manager's close button makes one.
    void Close();
    // Ends the window without asking the page, so that it can be made again with new settings.
    void CloseForRestart();

private:
    void ApplyWindowSettings(const TWindowSettings& settings);
    bool FullscreenWanted() const;
    void EnterToolkitFullscreen();
    void LeaveToolkitFullscreen();
    bool KeepAboveApplies() const;
    TAppDocuments AppDocuments() const;
    void RunCloseQueryScript(const std::string& script);
    static gboolean HandleDeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean HandleWindowStateEvent(GtkWidget*, GdkEventWindowState* event, gpointer self);

    const TBrowserExternalModule& FBridge;
    TWidgetOwned<GtkWindow> FWindow;
    std::unique_ptr<TBrowserForm> FBrowserForm;
    TCloseProtocol FCloseProtocol;
    std::function<void()> FOnClosing;
    TBorderStyle FBorderStyle = TBorderStyle::Sizeable;
    TWindowState FWindowState = TWindowState::Normal;
    TFormStyle FFormStyle = TFormStyle::Normal;
    bool FToolkitFullscreen = false;  // gtk_window_fullscreen asked for and not taken back
    bool FClosed = false;
    // Expired first thing on destruction: late script completions find the window gone.
    TLifetimeToken FLifetime;
};

}  // namespace zorv
