#pragma once
#include <string>
#include <vector>

#include "platform/MainWindow.h"

namespace zorv {

// A main window that only remembers its properties and the order in which they were changed.
class TFakeMainWindow : public IMainWindow {
public:
    TBorderStyle GetBorderStyle() const override { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style) override;
    TWindowState GetWindowState() const override { return FWindowState; }
    void SetWindowState(TWindowState state) override;
    TFormStyle GetFormStyle() const override { return FFormStyle; }
    void SetFormStyle(TFormStyle style) override;
    std::string GetCaption() const override { return FCaption; }
    void SetCaption(const std::string& caption) override;

    // Every change, in order, as "border=0", "state=maximized", "style=ontop", "caption=...".
    const std::vector<std::string>& Changes() const { return FChanges; }

private:
    TBorderStyle FBorderStyle = TBorderStyle::Sizeable;
    TWindowState FWindowState = TWindowState::Normal;
    TFormStyle FFormStyle = TFormStyle::Normal;
    std::string FCaption;
    std::vector<std::string> FChanges;
};

}  // namespace zorv
