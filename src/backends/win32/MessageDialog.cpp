#include "backends/win32/MessageDialog.h"

#include <algorithm>
#include <memory>

#include "backends/win32/WinText.h"
#include "backends/win32/WinThemeEngine.h"
#include "shared/Win32Handles.h"

namespace zorv {

namespace {

constexpr int TextControlId = 100;
constexpr int IconControlId = 101;

struct TDialogState {
    std::wstring text;
    std::wstring title;
    LPCWSTR icon = nullptr;
    std::vector<TMsgDlgBtn> buttons;
    std::vector<std::wstring> captions;
    TWinThemeEngine* theme = nullptr;
    TGdiObject<HFONT> font;
};

int Scale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), 96); }

HFONT CreateMessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi) &&
        !SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return nullptr;
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

bool IsPushButton(HWND control) {
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    if (lstrcmpiW(className, L"Button") != 0) return false;
    const auto type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// Gives the dialog's push buttons, walked in creation order, the replacement captions.
void ReplaceButtonCaptions(HWND dialog, const std::vector<std::wstring>& captions) {
    size_t next = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child && next < captions.size();
         child = GetWindow(child, GW_HWNDNEXT))
        if (IsPushButton(child)) SetWindowTextW(child, captions[next++].c_str());
}

SIZE MeasureText(HWND window, HFONT font, const std::wstring& text, int maxWidth, UINT format) {
    const TWindowDc dc(window);
    HGDIOBJ old = SelectObject(dc.Get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT bounds{0, 0, maxWidth, 0};
    DrawTextW(dc.Get(), text.empty() ? L" " : text.c_str(), -1, &bounds, format | DT_CALCRECT);
    SelectObject(dc.Get(), old);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool HasButton(const TDialogState& state, TMsgDlgBtn button) {
    return std::find(state.buttons.begin(), state.buttons.end(), button) != state.buttons.end();
}

TMsgDlgBtn DefaultButton(const TDialogState& state) {
    if (HasButton(state, TMsgDlgBtn::OK)) return TMsgDlgBtn::OK;
    if (HasButton(state, TMsgDlgBtn::Yes)) return TMsgDlgBtn::Yes;
    return state.buttons.front();
}

void CreateControls(HWND dialog, TDialogState& state) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND icon = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, 0, 0, 0, 0, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IconControlId)), instance, nullptr);
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, state.icon)), 0);
    CreateWindowExW(0, L"STATIC", state.text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, dialog,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(TextControlId)), instance, nullptr);
    const TMsgDlgBtn defaultButton = DefaultButton(state);
    for (TMsgDlgBtn button : state.buttons) {
        const DWORD style =
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | (button == defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        CreateWindowExW(0, L"BUTTON", TMessageDialog::StandardCaption(button).c_str(), style, 0, 0, 0, 0, dialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(TMessageDialog::ResultOf(button))), instance,
                        nullptr);
    }
}

// Places icon, text and buttons for the dialog's DPI and centres the dialog on its owner, or on
// the screen when it has none.
void LayOut(HWND dialog, TDialogState& state) {
    const UINT dpi = GetDpiForWindow(dialog) ? GetDpiForWindow(dialog) : 96;
    state.font.Reset(CreateMessageFont(dpi));
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(state.font.Get()), FALSE);

    const int margin = Scale(16, dpi), gap = Scale(12, dpi), iconSize = Scale(32, dpi);
    const int buttonHeight = Scale(25, dpi), buttonMinWidth = Scale(75, dpi), buttonGap = Scale(6, dpi);
    SIZE text = MeasureText(dialog, state.font.Get(), state.text, Scale(420, dpi), DT_WORDBREAK | DT_NOPREFIX);
    text.cx += Scale(4, dpi);  // room for rounding, or the control clips the last character of a line

    std::vector<std::pair<HWND, int>> buttons;
    int buttonsWidth = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsPushButton(child)) continue;
        const SIZE caption = MeasureText(dialog, state.font.Get(), WindowText(child), 10000, DT_SINGLELINE);
        const int width = std::max(buttonMinWidth, static_cast<int>(caption.cx) + Scale(20, dpi));
        buttons.emplace_back(child, width);
        buttonsWidth += width + (buttons.size() > 1 ? buttonGap : 0);
    }

    const int contentWidth = std::max(iconSize + gap + static_cast<int>(text.cx), buttonsWidth);
    const int bodyHeight = std::max(iconSize, static_cast<int>(text.cy));
    const int clientWidth = margin * 2 + contentWidth;
    const int clientHeight = margin + bodyHeight + gap + buttonHeight + margin;

    MoveWindow(GetDlgItem(dialog, IconControlId), margin, margin, iconSize, iconSize, FALSE);
    MoveWindow(GetDlgItem(dialog, TextControlId), margin + iconSize + gap,
               margin + std::max(0, (iconSize - static_cast<int>(text.cy)) / 2), text.cx, text.cy, FALSE);
    int x = (clientWidth - buttonsWidth) / 2;
    for (const auto& [button, width] : buttons) {
        MoveWindow(button, x, margin + bodyHeight + gap, width, buttonHeight, FALSE);
        x += width + buttonGap;
    }

    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)), dpi);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT area{};
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner && IsWindowVisible(owner)) {
        GetWindowRect(owner, &area);
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<TDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<TDialogState*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SetWindowTextW(dialog, state->title.c_str());
            CreateControls(dialog, *state);
            ReplaceButtonCaptions(dialog, state->captions);
            LayOut(dialog, *state);
            const int defaultId = TMessageDialog::ResultOf(DefaultButton(*state));
            SendMessageW(dialog, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
            SetFocus(GetDlgItem(dialog, defaultId));
            if (state->theme) state->theme->RegisterWindow(dialog);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            // Esc arrives as IDCANCEL; it only answers when a Cancel button is shown.
            if (id == IDCANCEL && !HasButton(*state, TMsgDlgBtn::Cancel)) return TRUE;
            if (GetDlgItem(dialog, id) || id == IDCANCEL) EndDialog(dialog, id);
            return TRUE;
        }
        case WM_CLOSE: EndDialog(dialog, IDCANCEL); return TRUE;
        case WM_DESTROY:
            if (state && state->theme) state->theme->UnregisterWindow(dialog);
            return FALSE;
        default: return FALSE;
    }
}

// An empty dialog template: the controls are created when the dialog initialises.
struct alignas(4) TEmptyDialogTemplate {
    DLGTEMPLATE header;
    WORD menu = 0, windowClass = 0, title = 0;
};

LPCWSTR IconOf(TDialogKind kind) { return kind == TDialogKind::Confirmation ? IDI_QUESTION : IDI_ERROR; }

TMsgDlgBtn RoleOf(int result) {
    switch (result) {
        case IDOK: return TMsgDlgBtn::OK;
        case IDCANCEL: return TMsgDlgBtn::Cancel;
        case IDABORT: return TMsgDlgBtn::Abort;
        case IDRETRY: return TMsgDlgBtn::Retry;
        case IDIGNORE: return TMsgDlgBtn::Ignore;
        case IDNO: return TMsgDlgBtn::No;
        case IDCLOSE: return TMsgDlgBtn::Close;
        default: return TMsgDlgBtn::Yes;
    }
}

}  // namespace

int TMessageDialog::ResultOf(TMsgDlgBtn button) {
    switch (button) {
        case TMsgDlgBtn::Yes: return IDYES;
        case TMsgDlgBtn::No: return IDNO;
        case TMsgDlgBtn::OK: return IDOK;
        case TMsgDlgBtn::Cancel: return IDCANCEL;
        case TMsgDlgBtn::Abort: return IDABORT;
        case TMsgDlgBtn::Retry: return IDRETRY;
        case TMsgDlgBtn::Ignore: return IDIGNORE;
        case TMsgDlgBtn::Close: return IDCLOSE;
    }
    return IDCANCEL;
}

std::wstring TMessageDialog::StandardCaption(TMsgDlgBtn button) {
    switch (button) {
        case TMsgDlgBtn::Yes: return L"&Yes";
        case TMsgDlgBtn::No: return L"&No";
        case TMsgDlgBtn::OK: return L"OK";
        case TMsgDlgBtn::Cancel: return L"Cancel";
        case TMsgDlgBtn::Abort: return L"&Abort";
        case TMsgDlgBtn::Retry: return L"&Retry";
        case TMsgDlgBtn::Ignore: return L"&Ignore";
        case TMsgDlgBtn::Close: return L"&Close";
    }
    return {};
}

int TMessageDialog::LocalizedMessageDlg(const std::string& msg, TDialogKind dlgType,
                                        const std::vector<TMsgDlgBtn>& buttons,
                                        const std::vector<std::string>& buttonCaptions, const std::string& caption,
                                        HWND owner, TWinThemeEngine* theme) {
    auto state = std::make_unique<TDialogState>();
    state->text = TWinText::Utf8ToWide(msg);
    state->title = TWinText::Utf8ToWide(caption);
    state->icon = IconOf(dlgType);
    // The platform's fixed order, whatever order the caller listed them in.
    for (int role = static_cast<int>(TMsgDlgBtn::Yes); role <= static_cast<int>(TMsgDlgBtn::Close); ++role)
        if (std::find(buttons.begin(), buttons.end(), static_cast<TMsgDlgBtn>(role)) != buttons.end())
            state->buttons.push_back(static_cast<TMsgDlgBtn>(role));
    if (state->buttons.empty()) state->buttons.push_back(TMsgDlgBtn::OK);
    for (const std::string& text : buttonCaptions) state->captions.push_back(TWinText::Utf8ToWide(text));
    state->theme = theme;

    TEmptyDialogTemplate dialogTemplate{};
    dialogTemplate.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
    dialogTemplate.header.dwExtendedStyle = WS_EX_DLGMODALFRAME;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.header, owner,
                                                   MessageDialogProc, reinterpret_cast<LPARAM>(state.get()));
    return result > 0 ? static_cast<int>(result) : IDCANCEL;
}

int TMessageDialog::Show(const TLocalizedDialog& dialog, HWND owner, TWinThemeEngine* theme) {
    std::vector<TMsgDlgBtn> buttons;
    std::vector<std::string> captions;
    // The captions follow the buttons in their shown order.
    std::vector<TDialogButton> ordered = dialog.buttons;
    std::stable_sort(ordered.begin(), ordered.end(), [](const TDialogButton& a, const TDialogButton& b) {
        return RoleOf(a.result) < RoleOf(b.result);
    });
    for (const TDialogButton& button : ordered) {
        buttons.push_back(RoleOf(button.result));
        captions.push_back(button.caption);
    }
    return LocalizedMessageDlg(dialog.text, dialog.kind, buttons, captions, dialog.caption, owner, theme);
}

}  // namespace zorv
