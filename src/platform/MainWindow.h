#pragma once
#include <string>

namespace zorv {

// Numbered as the WindowBorder setting numbers them.
enum class TBorderStyle { None = 0, Single = 1, Sizeable = 2, Dialog = 3, ToolWindow = 4, SizeToolWin = 5 };
enum class TWindowState { Normal, Minimized, Maximized };
enum class TFormStyle { Normal, StayOnTop };

// The main window as the bridge and the start-up code see it. Every change acts on the existing
// window: the hosted web view and the page keep running.
class IMainWindow {
public:
    virtual ~IMainWindow() = default;
    virtual TBorderStyle GetBorderStyle() const = 0;
    virtual void SetBorderStyle(TBorderStyle style) = 0;
    virtual TWindowState GetWindowState() const = 0;
    virtual void SetWindowState(TWindowState state) = 0;
    virtual TFormStyle GetFormStyle() const = 0;
    virtual void SetFormStyle(TFormStyle style) = 0;
    virtual std::string GetCaption() const = 0;  // UTF-8
    virtual void SetCaption(const std::string& caption) = 0;
};

}  // namespace zorv
