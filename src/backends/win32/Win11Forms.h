#pragma once
#include <windows.h>

namespace zorv {

enum class TRoundedCornerType { rcDefault = 0, rcOff = 1, rcOn = 2, rcSmall = 3 };

// The rounded-corner window class: every window handle it is given asks the desktop window
// manager for its corner preference. Forms that derive from it (the main window, the installer
// window) call HandleCreated right after their window handle exists.
class TWin11Form {
public:
    // The process-wide corner type that rcDefault stands for.
    static constexpr TRoundedCornerType DefaultRoundedCorners = TRoundedCornerType::rcOn;
    // DWMWA_WINDOW_CORNER_PREFERENCE; the SDK of the build knows no such attribute.
    static constexpr DWORD DwmWindowCornerPreference = 33;

    TRoundedCornerType RoundedCorners() const { return FRoundedCorners; }
    // Asks again at once when the window exists.
    void SetRoundedCorners(TRoundedCornerType value);

    // The attribute value: the form's own type, or the process default for rcDefault.
    static int CornerPreference(TRoundedCornerType formType);
    // DwmSetWindowAttribute, bound on first use; the result is ignored, so systems that do not
    // know the attribute keep their usual corners.
    static void ApplyCornerPreference(HWND window, int preference);

protected:
    TWin11Form() = default;
    ~TWin11Form() = default;
    void HandleCreated(HWND window);

private:
    HWND FCornerWindow = nullptr;
    TRoundedCornerType FRoundedCorners = TRoundedCornerType::rcDefault;
};

}  // namespace zorv
