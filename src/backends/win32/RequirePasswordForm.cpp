#include "backends/win32/RequirePasswordForm.h"

#include <commctrl.h>

#include <algorithm>

#include "backends/win32/WinText.h"
#include "backends/win32/WinThemeEngine.h"

namespace zorv {

namespace {

constexpr UINT_PTR EditSubclassId = 0x6B657921;  // "key!"
constexpr int EditControlId = 100;

int Scale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), 96); }

// A small key drawn with GDI: a ring, a shaft and two teeth, on a transparent background.
TIconHandle CreateKeyIcon(int size) {
    TMemoryDc memory;
    TGdiObject<HBITMAP> colour, mask;
    {
        const TWindowDc screen(nullptr);
        memory.Reset(CreateCompatibleDC(screen.Get()));
        colour.Reset(CreateCompatibleBitmap(screen.Get(), size, size));
        mask.Reset(CreateBitmap(size, size, 1, 1, nullptr));
    }
    HDC dc = memory.Get();

    const auto draw = [&](HBITMAP target, COLORREF background, COLORREF ink) {
        HGDIOBJ oldBitmap = SelectObject(dc, target);
        RECT all{0, 0, size, size};
        FillRect(dc, &all, TGdiObject<HBRUSH>(CreateSolidBrush(background)).Get());
        const TGdiObject<HPEN> pen(CreatePen(PS_SOLID, std::max(1, size / 8), ink));
        const TGdiObject<HBRUSH> inkBrush(CreateSolidBrush(ink));
        HGDIOBJ oldPen = SelectObject(dc, pen.Get());
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        const int ring = size * 7 / 16;
        Ellipse(dc, 1, size / 2 - ring / 2, 1 + ring, size / 2 + ring / 2);
        SelectObject(dc, inkBrush.Get());
        const int shaftTop = size / 2 - std::max(1, size / 16);
        const int shaftBottom = size / 2 + std::max(1, size / 16) + 1;
        Rectangle(dc, ring, shaftTop, size - 1, shaftBottom);
        Rectangle(dc, size * 11 / 16, shaftBottom - 1, size * 11 / 16 + size / 8, size * 13 / 16);
        Rectangle(dc, size * 14 / 16, shaftBottom - 1, size - 1, size * 12 / 16);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBitmap);
    };
    draw(colour.Get(), RGB(0, 0, 0), RGB(96, 96, 96));   // the key where the mask is black
    draw(mask.Get(), RGB(255, 255, 255), RGB(0, 0, 0));  // white: transparent
    memory.Reset();

    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour.Get();
    info.hbmMask = mask.Get();
    return TIconHandle(CreateIconIndirect(&info));
}

std::wstring EditText(HWND edit) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

struct alignas(4) TEmptyDialogTemplate {
    DLGTEMPLATE header;
    WORD menu = 0, windowClass = 0, title = 0;
};

}  // namespace

TRequirePasswordForm::TRequirePasswordForm(TWinThemeEngine* theme) : FTheme(theme) {}

void TRequirePasswordForm::SetCaption(const std::string& caption) { FCaption = TWinText::Utf8ToWide(caption); }

void TRequirePasswordForm::SetPassword(const std::string& password) { FPassword = TWinText::Utf8ToWide(password); }

int TRequirePasswordForm::ShowModal(HWND owner) {
    TEmptyDialogTemplate dialogTemplate{};
    dialogTemplate.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
    dialogTemplate.header.dwExtendedStyle = WS_EX_DLGMODALFRAME;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.header, owner, DialogProc,
                                                   reinterpret_cast<LPARAM>(this));
    FFont.Reset();
    FKeyIcon.Reset();
    return result == ResultAccepted ? ResultAccepted : ResultClosed;
}

bool TRequirePasswordForm::Ask(const std::string& caption, const std::string& password, TWinThemeEngine* theme) {
    TRequirePasswordForm form(theme);
    form.SetCaption(caption);
    form.SetPassword(password);
    return form.ShowModal() == ResultAccepted;
}

void TRequirePasswordForm::FormCreate(HWND dialog) {
    FDialog = dialog;
    SetWindowTextW(dialog, FCaption.c_str());
    const UINT dpi = GetDpiForWindow(dialog) ? GetDpiForWindow(dialog) : 96;

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi))
        FFont.Reset(CreateFontIndirectW(&metrics.lfMessageFont));

    FPasswordEdit = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
        Scale(24, dpi), Scale(24, dpi), Scale(257, dpi), Scale(21, dpi), dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(EditControlId)), GetModuleHandleW(nullptr), nullptr);
    if (FFont) SendMessageW(FPasswordEdit, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    SendMessageW(FPasswordEdit, EM_SETPASSWORDCHAR, L'*', 0);
    // The key sits at the left inside the box; the text starts after it.
    const int keySize = Scale(16, dpi);
    SendMessageW(FPasswordEdit, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(keySize + Scale(4, dpi), 0));
    FKeyIcon = CreateKeyIcon(keySize);
    HWND key = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE, Scale(1, dpi),
                               (Scale(21, dpi) - 4 - keySize) / 2, keySize, keySize, FPasswordEdit, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SendMessageW(key, STM_SETICON, reinterpret_cast<WPARAM>(FKeyIcon.Get()), 0);
    SetWindowSubclass(FPasswordEdit, EditProc, EditSubclassId, reinterpret_cast<DWORD_PTR>(this));

    RECT frame{0, 0, Scale(308, dpi), Scale(71, dpi)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)), dpi);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER);
    SetFocus(FPasswordEdit);
    if (FTheme) FTheme->RegisterWindow(dialog);
}

void TRequirePasswordForm::PasswordEditKeyUp() {
    if (EditText(FPasswordEdit) == FPassword) EndDialog(FDialog, ResultAccepted);
}

INT_PTR CALLBACK TRequirePasswordForm::DialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    auto* form = reinterpret_cast<TRequirePasswordForm*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<TRequirePasswordForm*>(lParam)->FormCreate(dialog);
            return FALSE;  // the focus is set
        case WM_COMMAND:
            // Enter (IDOK) and Esc (IDCANCEL) do nothing here.
            return TRUE;
        case WM_CLOSE: EndDialog(dialog, ResultClosed); return TRUE;
        case WM_DESTROY:
            if (form && form->FTheme) form->FTheme->UnregisterWindow(dialog);
            if (form) RemoveWindowSubclass(form->FPasswordEdit, EditProc, EditSubclassId);
            return FALSE;
        default: return FALSE;
    }
}

LRESULT CALLBACK TRequirePasswordForm::EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR self) {
    const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
    // Any key, modifiers included: releasing Ctrl after Ctrl+V also checks the pasted text.
    if (message == WM_KEYUP || message == WM_SYSKEYUP)
        reinterpret_cast<TRequirePasswordForm*>(self)->PasswordEditKeyUp();
    return result;
}

}  // namespace zorv
