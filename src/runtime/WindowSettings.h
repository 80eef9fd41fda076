#pragma once
#include <cstddef>
#include <string>

#include "platform/MainWindow.h"

namespace zorv {

class TMemIniFile;
struct TProjectSettings;

// The main window's parameters, computed from section "App" of the settings. Backends apply them
// in this order: position, size, size limits, placement, border and state (or full screen),
// stacking.
struct TWindowSettings {
    // Sizes and limits stay within these, so that the window can always be shown and reached.
    static constexpr int MinSize = 100;
    static constexpr int MaxSize = 16384;
    // Window managers are handed at most this much of a title.
    static constexpr std::size_t MaxTitleBytes = 4096;

    std::string caption;
    int top = 50;
    int left = 50;
    int width = 800;  // outer size
    int height = 600;
    int maxWidth = 0;  // 0: no limit
    int maxHeight = 0;
    int minWidth = 0;
    int minHeight = 0;
    bool centred = true;      // false: the system's default place for a new window
    bool fullScreen = false;  // no border, maximised, and the page is told it is in full screen
    TBorderStyle border = TBorderStyle::Sizeable;
    TWindowState state = TWindowState::Normal;
    bool stayOnTop = false;
    bool allowDebug = false;
    bool allowContextMenu = false;
    bool dynamicAppTitle = false;  // the caption follows the page's title

    // Sizes of 0 or less are the defaults; a minimum above its maximum gives way to the maximum,
    // and the size lies within both.
    static TWindowSettings FromSettings(const TProjectSettings& settings);
    static TWindowSettings FromIni(const TMemIniFile& ini);
    // The title cut to MaxTitleBytes, never inside a UTF-8 sequence.
    static std::string TitleForWindowManager(const std::string& title);
};

}  // namespace zorv
