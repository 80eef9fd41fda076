#pragma once
#include <windows.h>

#include <cstdint>

#include "backends/win32/Win11Forms.h"
#include "shared/Win32Handles.h"

namespace zorv {

// Animation of the activity indicator, numbered as the InstallIndicatorType setting numbers them.
enum class TActivityIndicatorType { MomentumDots = 0, RotatingSector = 1, SectorRing = 2 };

// The small borderless window shown while the WebView2 runtime installer runs: a rounded 80 x 80
// square in the installer colour with an animated activity indicator. The user cannot close it; it
// goes away with the process.
class TEdgeInstallerForm final : public TWin11Form {
public:
    static constexpr int ClientSize = 80;
    static constexpr int IndicatorLeft = 9;
    static constexpr int IndicatorTop = 8;
    static constexpr int IndicatorSize = 64;  // the extra-large indicator
    static constexpr UINT FrameIntervalMs = 40;

    // Settings as zorv.ini holds them: InstallFormColor (a colour value, system colours included),
    // InstallIndicatorColor (0 black, else white) and InstallIndicatorType (0 to 2; others draw
    // the momentum dots).
    TEdgeInstallerForm(int32_t formColor, int32_t indicatorColor, int32_t indicatorType);
    ~TEdgeInstallerForm();
    TEdgeInstallerForm(const TEdgeInstallerForm&) = delete;
    TEdgeInstallerForm& operator=(const TEdgeInstallerForm&) = delete;

    // Creates the window centred on the screen and shows it without making it modal.
    void Show();
    void Hide();
    HWND Handle() const { return FWindow.Get(); }

    // The close query always refuses.
    bool FormCloseQuery() const { return false; }

    // A colour setting as a Windows colour: values with the high byte 0xFF name a system colour
    // by its index in the low byte; the others are 0x00BBGGRR.
    static COLORREF ColorFromSetting(int32_t value);
    static TActivityIndicatorType IndicatorTypeFromSetting(int32_t value);
    COLORREF FormColor() const { return FFormColor; }
    COLORREF IndicatorColor() const { return FIndicatorColor; }
    TActivityIndicatorType IndicatorType() const { return FIndicatorType; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void FormCreate();
    void Paint(HDC dc) const;
    void PaintIndicator(HDC dc, const RECT& box) const;

    TWindowHandle FWindow;
    COLORREF FFormColor;
    COLORREF FIndicatorColor;
    TActivityIndicatorType FIndicatorType;
    unsigned FFrame = 0;
};

}  // namespace zorv
