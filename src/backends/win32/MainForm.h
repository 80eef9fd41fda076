#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backends/win32/EdgeBrowser.h"
#include "backends/win32/Win11Forms.h"
#include "platform/MainWindow.h"
#include "runtime/AppSession.h"
#include "runtime/CloseProtocol.h"
#include "runtime/WindowSettings.h"
#include "shared/LifetimeToken.h"
#include "shared/Win32Handles.h"

namespace zorv {

class TBrowserForm;
class TWinThemeEngine;
class TWinUiThread;

// The application's one top-level window. It creates the page host, takes its size, placement,
// border, state and stacking order from the settings, and closes only once the page has answered
// the close query with zorv.app.close().
class TMainForm final : public TWin11Form, public IMainWindow, public ISessionWindow {
public:
    // Lets another part of the backend (the native menu bar) see the window's messages first.
    // Returns true when it handled the message, with the result in the last argument.
    using TMessageHandler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    // Tells whether a key pressed inside the page is one of the window's shortcuts, and runs it.
    using TShortCutTest = std::function<bool(const MSG& keyMessage)>;

    // The window draws itself in the active theme of `themeEngine` (borrowed) when one is given.
    TMainForm(TWinUiThread& uiThread, const TWindowSettings& settings, TWinThemeEngine* themeEngine = nullptr,
              TEdgeBrowser::TEnvironmentFactory environmentFactory = {});
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // Creates the window (hidden) and runs the create event.
    void Create();
    // Runs the thread's message loop until it is asked to quit; gives the exit code.
    static int RunMessageLoop();
    // Shows the window in its initial state.
    void Show();
    HWND Handle() const { return FWindow.Get(); }
    const TLifetimeToken& Lifetime() const { return FLifetime; }
    void AddMessageHandler(TMessageHandler handler) { FMessageHandlers.push_back(std::move(handler)); }
    void SetShortCutTest(TShortCutTest test) { FShortCutTest = std::move(test); }

    // IMainWindow; every change acts on the existing window.
    TBorderStyle GetBorderStyle() const override { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style) override;
    TWindowState GetWindowState() const override;
    void SetWindowState(TWindowState state) override;
    TFormStyle GetFormStyle() const override { return FFormStyle; }
    void SetFormStyle(TFormStyle style) override;
    std::string GetCaption() const override;
    void SetCaption(const std::string& caption) override;

    // ISessionWindow.
    IMainWindow& MainWindow() override { return *this; }
    IPageHost* PageHost() override;
    bool PageCanAnswerCloseQuery() const override;
    void AppCloseRequest() override;
    void SetOnClosing(std::function<void()> handler) override { FOnClosing = std::move(handler); }
    int Run() override;
    // Quits the message loop; the window goes when it is freed.
    void EndForRestart() override { ::PostQuitMessage(0); }

    // Event handlers.
    void FormCreate();
    bool FormCloseQuery();
    void FormClose();

    bool CanClose() const { return FCloseProtocol.CanClose(); }
    TBrowserForm* BrowserForm() const { return FBrowserForm.get(); }
    const TWindowSettings& Settings() const { return FSettings; }

    // Asks the page whether the bridge is there; a page that has it answers BridgeProbeAnswer.
    static constexpr const char* BridgeProbeScript = "typeof window.zorv";
    static constexpr const char* BridgeProbeAnswer = "\"object\"";

    // The window styles of a border kind: style and extended style.
    static DWORD StyleOf(TBorderStyle border);
    static DWORD ExStyleOf(TBorderStyle border);
    // Where a window of the given outer size goes when centred on the work area.
    static POINT CentredPosition(const RECT& workArea, int width, int height);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ApplyWindowSettings();
    void ApplyBorderStyle();
    void LayOutBrowserForm();
    void FillMinMaxInfo(MINMAXINFO& info) const;
    void RunCloseQueryScript(const std::string& script);

    TWinUiThread& FUiThread;
    TWinThemeEngine* FThemeEngine;
    TEdgeBrowser::TEnvironmentFactory FEnvironmentFactory;
    TWindowSettings FSettings;
    TCloseProtocol FCloseProtocol;
    TWindowHandle FWindow;
    std::unique_ptr<TBrowserForm> FBrowserForm;
    std::function<void()> FOnClosing;
    std::vector<TMessageHandler> FMessageHandlers;
    TShortCutTest FShortCutTest;
    TBorderStyle FBorderStyle = TBorderStyle::Sizeable;
    TFormStyle FFormStyle = TFormStyle::Normal;
    TWindowState FInitialState = TWindowState::Normal;
    bool FClosed = false;
    // Script completions run only while the window object exists.
    TLifetimeToken FLifetime;
};

}  // namespace zorv
