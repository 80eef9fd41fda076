#include "backends/win32/MainForm.h"

#include "backends/win32/BrowserForm.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinThemeEngine.h"
#include "backends/win32/WinUiThread.h"

namespace zorv {

namespace {
constexpr wchar_t WindowClassName[] = L"ZorvMainForm";

void RegisterMainFormClass(WNDPROC proc) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, L"MAINICON");
    if (!windowClass.hIcon) windowClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = WindowClassName;
    ::RegisterClassExW(&windowClass);
}

RECT PrimaryWorkArea() {
    RECT area{0, 0, 1024, 768};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
}  // namespace

TMainForm::TMainForm(TWinUiThread& uiThread, const TWindowSettings& settings, TWinThemeEngine* themeEngine,
                     TEdgeBrowser::TEnvironmentFactory environmentFactory)
    : FUiThread(uiThread),
      FThemeEngine(themeEngine),
      FEnvironmentFactory(std::move(environmentFactory)),
      FSettings(settings),
      FCloseProtocol([this](const std::string& script) { RunCloseQueryScript(script); }) {}

TMainForm::~TMainForm() {
    FormClose();
    if (!FWindow) return;
    ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
    // Still there (a window made again with new settings): the next one registers itself.
    if (FThemeEngine) FThemeEngine->UnregisterWindow(FWindow.Get());
}

// ---- window styles ----

DWORD TMainForm::StyleOf(TBorderStyle border) {
    constexpr DWORD captioned = WS_CAPTION | WS_SYSMENU;
    switch (border) {
        case TBorderStyle::None: return WS_POPUP;
        case TBorderStyle::Single: return captioned | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        case TBorderStyle::Dialog: return captioned | WS_DLGFRAME;
        case TBorderStyle::ToolWindow: return captioned;
        case TBorderStyle::SizeToolWin: return captioned | WS_THICKFRAME;
        case TBorderStyle::Sizeable:
        default: return WS_OVERLAPPEDWINDOW;
    }
}

DWORD TMainForm::ExStyleOf(TBorderStyle border) {
    switch (border) {
        case TBorderStyle::Dialog: return WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        case TBorderStyle::ToolWindow:
        case TBorderStyle::SizeToolWin: return WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;
        case TBorderStyle::None: return 0;
        default: return WS_EX_WINDOWEDGE;
    }
}

POINT TMainForm::CentredPosition(const RECT& workArea, int width, int height) {
    return {workArea.left + (workArea.right - workArea.left - width) / 2,
            workArea.top + (workArea.bottom - workArea.top - height) / 2};
}

// ---- creation ----

void TMainForm::Create() {
    if (FWindow) return;
    RegisterMainFormClass(&TMainForm::WindowProc);
    FBorderStyle = TBorderStyle::Sizeable;
    const DWORD exStyle = ExStyleOf(FBorderStyle) | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
    FWindow.Reset(::CreateWindowExW(exStyle, WindowClassName, L"", StyleOf(FBorderStyle) | WS_CLIPCHILDREN,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 568, 424, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr));
    if (!FWindow) return;
    ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    HandleCreated(FWindow.Get());
    FormCreate();
    if (FThemeEngine) FThemeEngine->RegisterWindow(FWindow.Get());
}

void TMainForm::FormCreate() {
    FBrowserForm = std::make_unique<TBrowserForm>(FUiThread, FEnvironmentFactory);
    FBrowserForm->SetParent(FWindow.Get());
    FBrowserForm->SetVisible(true);
    ApplyWindowSettings();
}

void TMainForm::ApplyWindowSettings() {
    const TWindowSettings& s = FSettings;
    POINT position{s.left, s.top};
    if (s.centred) position = CentredPosition(PrimaryWorkArea(), s.width, s.height);
    // The system's default place for a new window keeps the size: a throw-away window of that size
    // tells where the system would put it.
    if (!s.centred) {
        const TWindowHandle probe(::CreateWindowExW(0, WindowClassName, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                                    CW_USEDEFAULT, s.width, s.height, nullptr, nullptr,
                                                    ::GetModuleHandleW(nullptr), nullptr));
        RECT placed{};
        if (probe && ::GetWindowRect(probe.Get(), &placed)) position = {placed.left, placed.top};
    }
    ::SetWindowPos(FWindow.Get(), nullptr, position.x, position.y, s.width, s.height, SWP_NOZORDER | SWP_NOACTIVATE);
    FBorderStyle = s.border;
    ApplyBorderStyle();
    FInitialState = s.state;
    if (s.stayOnTop) SetFormStyle(TFormStyle::StayOnTop);
}

IPageHost* TMainForm::PageHost() { return FBrowserForm.get(); }

int TMainForm::RunMessageLoop() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

int TMainForm::Run() {
    Show();
    return RunMessageLoop();
}

void TMainForm::Show() {
    if (!FWindow) return;
    ::ShowWindow(FWindow.Get(), FInitialState == TWindowState::Maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    ::UpdateWindow(FWindow.Get());
}

// ---- IMainWindow ----

void TMainForm::SetBorderStyle(TBorderStyle style) {
    FBorderStyle = style;
    ApplyBorderStyle();
}

void TMainForm::ApplyBorderStyle() {
    HWND window = FWindow.Get();
    if (!window) return;
    const LONG_PTR kept =
        ::GetWindowLongPtrW(window, GWL_STYLE) & (WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE | WS_DISABLED);
    ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(StyleOf(FBorderStyle) | WS_CLIPCHILDREN) | kept);
    const LONG_PTR keptEx = ::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
    ::SetWindowLongPtrW(
        window, GWL_EXSTYLE,
        static_cast<LONG_PTR>(ExStyleOf(FBorderStyle) | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW) | keptEx);
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A maximised window takes the area of its new frame (the whole screen without a border).
    if (::IsZoomed(window) && ::IsWindowVisible(window)) {
        ::ShowWindow(window, SW_SHOWNORMAL);
        ::ShowWindow(window, SW_SHOWMAXIMIZED);
    }
}

TWindowState TMainForm::GetWindowState() const {
    HWND window = FWindow.Get();
    if (!window) return TWindowState::Normal;
    if (!::IsWindowVisible(window)) return FInitialState;
    if (::IsIconic(window)) return TWindowState::Minimized;
    if (::IsZoomed(window)) return TWindowState::Maximized;
    return TWindowState::Normal;
}

void TMainForm::SetWindowState(TWindowState state) {
    HWND window = FWindow.Get();
    if (!window) return;
    if (!::IsWindowVisible(window)) {
        FInitialState = state;
        return;
    }
    switch (state) {
        case TWindowState::Minimized: ::ShowWindow(window, SW_MINIMIZE); break;
        case TWindowState::Maximized: ::ShowWindow(window, SW_SHOWMAXIMIZED); break;
        case TWindowState::Normal: ::ShowWindow(window, SW_SHOWNORMAL); break;
    }
}

void TMainForm::SetFormStyle(TFormStyle style) {
    FFormStyle = style;
    if (FWindow)
        ::SetWindowPos(FWindow.Get(), style == TFormStyle::StayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::string TMainForm::GetCaption() const {
    if (!FWindow) return {};
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(FWindow.Get())) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(FWindow.Get(), text.data(), static_cast<int>(text.size()))));
    return TWinText::WideToUtf8(text);
}

void TMainForm::SetCaption(const std::string& caption) {
    if (FWindow) ::SetWindowTextW(FWindow.Get(), TWinText::Utf8ToWide(caption).c_str());
}

// ---- events ----

bool TMainForm::PageCanAnswerCloseQuery() const {
    if (!FBrowserForm) return false;
    TEdgeBrowser& edge = FBrowserForm->EdgeBrowser();
    return edge.WebViewCreated() && FBrowserForm->LastNavigationSucceeded() && FBrowserForm->AppDocumentOnTop();
}

void TMainForm::RunCloseQueryScript(const std::string& script) {
    if (!FBrowserForm) return;
    // The browser's error page and its PDF viewer keep a file:/// URL but run no script, the bridge
    // included: such a page cannot answer, so the window closes instead of staying open for good.
    FBrowserForm->EdgeBrowser().ExecuteScript(
        BridgeProbeScript, [this, alive = FLifetime.Watch(), script](HRESULT result, const std::string& value) {
            if (alive.Expired() || !FBrowserForm) return;
            if (SUCCEEDED(result) && value == BridgeProbeAnswer)
                FBrowserForm->EdgeBrowser().ExecuteScript(script);
            else
                AppCloseRequest();
        });
}

bool TMainForm::FormCloseQuery() { return FCloseProtocol.CloseQuery(PageCanAnswerCloseQuery()); }

void TMainForm::AppCloseRequest() {
    FCloseProtocol.AllowClose();
    // Closed from the message loop: the bridge call that asked is still on the stack, and closing
    // frees the bridge module.
    if (FWindow) ::PostMessageW(FWindow.Get(), WM_CLOSE, 0, 0);
}

void TMainForm::FormClose() {
    if (FClosed) return;
    FClosed = true;
    // The bridge goes before the page host whose web view it talks through.
    if (FOnClosing) FOnClosing();
    FBrowserForm.reset();
}

// ---- messages ----

LRESULT CALLBACK TMainForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto* self = reinterpret_cast<TMainForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
        return self->HandleMessage(message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    for (const TMessageHandler& handler : FMessageHandlers) {
        LRESULT result = 0;
        if (handler && handler(message, wParam, lParam, result)) return result;
    }
    HWND window = FWindow.Get();
    switch (message) {
        case WM_SIZE:
            LayOutBrowserForm();
            if (FBrowserForm) FBrowserForm->EdgeBrowser().FollowWindowSize(wParam);
            return 0;
        case WM_MOVE:
            if (FBrowserForm) FBrowserForm->EdgeBrowser().NotifyParentWindowPositionChanged();
            break;
        case WM_GETMINMAXINFO: FillMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
        case WM_SETFOCUS:
            if (FBrowserForm) FBrowserForm->EdgeBrowser().SetFocus();
            return 0;
        case IsShortcutMessage:
            return FShortCutTest && lParam && FShortCutTest(*reinterpret_cast<const MSG*>(lParam)) ? 1 : 0;
        case WM_CLOSE:
            if (FormCloseQuery()) {
                FormClose();
                ::DestroyWindow(window);
            }
            return 0;
        case WM_QUERYENDSESSION: return FormCloseQuery() ? TRUE : FALSE;
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                           suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DESTROY:
            FormClose();
            ::PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            FWindow.Release();  // the system has destroyed it
            break;
        default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void TMainForm::LayOutBrowserForm() {
    if (!FBrowserForm || !FWindow) return;
    RECT client{};
    ::GetClientRect(FWindow.Get(), &client);
    FBrowserForm->SetBounds(client);
}

void TMainForm::FillMinMaxInfo(MINMAXINFO& info) const {
    const TWindowSettings& s = FSettings;
    if (s.minWidth > 0) info.ptMinTrackSize.x = s.minWidth;
    if (s.minHeight > 0) info.ptMinTrackSize.y = s.minHeight;
    if (s.maxWidth > 0) {
        info.ptMaxTrackSize.x = s.maxWidth;
        info.ptMaxSize.x = std::min<LONG>(info.ptMaxSize.x, s.maxWidth);
    }
    if (s.maxHeight > 0) {
        info.ptMaxTrackSize.y = s.maxHeight;
        info.ptMaxSize.y = std::min<LONG>(info.ptMaxSize.y, s.maxHeight);
    }
}

}  // namespace zorv
