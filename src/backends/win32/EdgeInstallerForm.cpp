#include "backends/win32/EdgeInstallerForm.h"

#include <cmath>
#include <numbers>

namespace zorv {

namespace {
constexpr wchar_t WindowClassName[] = L"ZorvEdgeInstallerForm";
constexpr UINT_PTR AnimationTimer = 1;
constexpr int FramesPerTurn = 36;

void RegisterInstallerClass(WNDPROC proc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DROPSHADOW | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_APPSTARTING);
    windowClass.lpszClassName = WindowClassName;
    ::RegisterClassExW(&windowClass);
}

POINT OnCircle(double cx, double cy, double radius, double angle) {
    return {static_cast<LONG>(std::lround(cx + radius * std::cos(angle))),
            static_cast<LONG>(std::lround(cy + radius * std::sin(angle)))};
}

COLORREF Blend(COLORREF from, COLORREF to, double amount) {
    const auto mix = [amount](int a, int b) { return static_cast<BYTE>(std::lround(a + (b - a) * amount)); };
    return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
               mix(GetBValue(from), GetBValue(to)));
}

void FillEllipse(HDC dc, POINT centre, int radius, COLORREF color) {
    TGdiHandle brush(::CreateSolidBrush(color));
    HGDIOBJ oldBrush = ::SelectObject(dc, brush.Get());
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    ::Ellipse(dc, centre.x - radius, centre.y - radius, centre.x + radius + 1, centre.y + radius + 1);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
}

// A piece of a ring between two angles, as a filled polygon.
void FillRingSector(HDC dc, double cx, double cy, double outer, double inner, double from, double to, COLORREF color) {
    constexpr int Steps = 12;
    POINT points[2 * (Steps + 1)];
    for (int i = 0; i <= Steps; ++i) {
        const double angle = from + (to - from) * i / Steps;
        points[i] = OnCircle(cx, cy, outer, angle);
        points[2 * Steps + 1 - i] = OnCircle(cx, cy, inner, angle);
    }
    TGdiHandle brush(::CreateSolidBrush(color));
    HGDIOBJ oldBrush = ::SelectObject(dc, brush.Get());
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    ::Polygon(dc, points, static_cast<int>(std::size(points)));
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
}
}  // namespace

TEdgeInstallerForm::TEdgeInstallerForm(int32_t formColor, int32_t indicatorColor, int32_t indicatorType)
    : FFormColor(ColorFromSetting(formColor)),
      FIndicatorColor(indicatorColor == 0 ? RGB(0, 0, 0) : RGB(255, 255, 255)),
      FIndicatorType(IndicatorTypeFromSetting(indicatorType)) {}

TEdgeInstallerForm::~TEdgeInstallerForm() {
    if (FWindow) {
        ::KillTimer(FWindow.Get(), AnimationTimer);
        ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
    }
}

COLORREF TEdgeInstallerForm::ColorFromSetting(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    if ((bits & 0xFF000000u) == 0xFF000000u) return ::GetSysColor(static_cast<int>(bits & 0xFFu));
    return static_cast<COLORREF>(bits & 0x00FFFFFFu);
}

TActivityIndicatorType TEdgeInstallerForm::IndicatorTypeFromSetting(int32_t value) {
    if (value == 1) return TActivityIndicatorType::RotatingSector;
    if (value == 2) return TActivityIndicatorType::SectorRing;
    return TActivityIndicatorType::MomentumDots;
}

void TEdgeInstallerForm::Show() {
    if (!FWindow) {
        RegisterInstallerClass(&TEdgeInstallerForm::WindowProc);
        const int left = (::GetSystemMetrics(SM_CXSCREEN) - ClientSize) / 2;
        const int top = (::GetSystemMetrics(SM_CYSCREEN) - ClientSize) / 2;
        FWindow.Reset(::CreateWindowExW(0, WindowClassName, L"", WS_POPUP, left, top, ClientSize, ClientSize, nullptr,
                                        nullptr, ::GetModuleHandleW(nullptr), nullptr));
        if (!FWindow) return;
        ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        HandleCreated(FWindow.Get());
        FormCreate();
    }
    ::ShowWindow(FWindow.Get(), SW_SHOW);
    ::UpdateWindow(FWindow.Get());
}

void TEdgeInstallerForm::Hide() {
    if (FWindow) ::ShowWindow(FWindow.Get(), SW_HIDE);
}

void TEdgeInstallerForm::FormCreate() {
    HWND window = FWindow.Get();
    // Exactly a pop-up window: every other style bit cleared.
    ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(WS_POPUP));
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    TGdiObject<HRGN> region(
        ::CreateRoundRectRgn(0, 0, bounds.right - bounds.left + 1, bounds.bottom - bounds.top + 1, 4, 4));
    // The window owns the region once the system accepts it; a refused region is ours to free.
    if (region && ::SetWindowRgn(window, region.Get(), TRUE)) region.Release();
    ::SetTimer(window, AnimationTimer, FrameIntervalMs, nullptr);
}

LRESULT CALLBACK TEdgeInstallerForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto* self = reinterpret_cast<TEdgeInstallerForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
        return self->HandleMessage(message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TEdgeInstallerForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = FWindow.Get();
    switch (message) {
        case WM_CLOSE:
            if (!FormCloseQuery()) return 0;
            break;
        case WM_TIMER:
            if (wParam == AnimationTimer) {
                ++FFrame;
                ::InvalidateRect(window, nullptr, FALSE);
                return 0;
            }
            break;
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = ::BeginPaint(window, &paint);
            // Drawn off screen first so that the animation does not flicker.
            {
                const TMemoryDc memory(::CreateCompatibleDC(dc));
                const TGdiHandle bitmap(::CreateCompatibleBitmap(dc, ClientSize, ClientSize));
                HGDIOBJ old = ::SelectObject(memory.Get(), bitmap.Get());
                Paint(memory.Get());
                ::BitBlt(dc, 0, 0, ClientSize, ClientSize, memory.Get(), 0, 0, SRCCOPY);
                ::SelectObject(memory.Get(), old);
            }
            ::EndPaint(window, &paint);
            return 0;
        }
        default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void TEdgeInstallerForm::Paint(HDC dc) const {
    RECT client{0, 0, ClientSize, ClientSize};
    TGdiHandle background(::CreateSolidBrush(FFormColor));
    ::FillRect(dc, &client, static_cast<HBRUSH>(background.Get()));
    const RECT box{IndicatorLeft, IndicatorTop, IndicatorLeft + IndicatorSize, IndicatorTop + IndicatorSize};
    PaintIndicator(dc, box);
}

void TEdgeInstallerForm::PaintIndicator(HDC dc, const RECT& box) const {
    constexpr double Pi = std::numbers::pi;
    const double cx = (box.left + box.right) / 2.0;
    const double cy = (box.top + box.bottom) / 2.0;
    const double radius = IndicatorSize / 2.0;
    const double turn = static_cast<double>(FFrame % FramesPerTurn) / FramesPerTurn;
    switch (FIndicatorType) {
        case TActivityIndicatorType::RotatingSector: {
            const double start = turn * 2 * Pi - Pi / 2;
            FillRingSector(dc, cx, cy, radius - 2, radius - 10, start, start + Pi / 2, FIndicatorColor);
            break;
        }
        case TActivityIndicatorType::SectorRing: {
            constexpr int Sectors = 12;
            const int lead = static_cast<int>(FFrame / 3) % Sectors;
            for (int i = 0; i < Sectors; ++i) {
                const int behind = (lead - i + Sectors) % Sectors;
                const COLORREF color = Blend(FIndicatorColor, FFormColor, std::min(1.0, behind / 6.0));
                const double from = 2 * Pi * i / Sectors - Pi / 2 + 0.06;
                const double to = 2 * Pi * (i + 1) / Sectors - Pi / 2 - 0.06;
                FillRingSector(dc, cx, cy, radius - 2, radius - 10, from, to, color);
            }
            break;
        }
        case TActivityIndicatorType::MomentumDots:
        default: {
            // Five dots chase each other round the circle, each a little behind the one before,
            // fast through the bottom and slow over the top.
            constexpr int Dots = 5;
            for (int i = 0; i < Dots; ++i) {
                double t = turn - i * 0.06;
                t -= std::floor(t);
                const double eased = t - std::sin(2 * Pi * t) / (2 * Pi) * 0.8;
                FillEllipse(dc, OnCircle(cx, cy, radius - 6, eased * 2 * Pi - Pi / 2), 4, FIndicatorColor);
            }
            break;
        }
    }
}

}  // namespace zorv
