#include "backends/test/FakeMainWindow.h"

namespace zorv {

void TFakeMainWindow::SetBorderStyle(TBorderStyle style) {
    FBorderStyle = style;
    FChanges.push_back("border=" + std::to_string(static_cast<int>(style)));
}

void TFakeMainWindow::SetWindowState(TWindowState state) {
    FWindowState = state;
    const char* name = state == TWindowState::Maximized   ? "maximized"
                       : state == TWindowState::Minimized ? "minimized"
                                                          : "normal";
    FChanges.push_back(std::string("state=") + name);
}

void TFakeMainWindow::SetFormStyle(TFormStyle style) {
    FFormStyle = style;
    FChanges.push_back(style == TFormStyle::StayOnTop ? "style=ontop" : "style=normal");
}

void TFakeMainWindow::SetCaption(const std::string& caption) {
    FCaption = caption;
    FChanges.push_back("caption=" + caption);
}

}  // namespace zorv
