#pragma once
#include <cstdint>
#include <string>

namespace zorv {

class TMemIniFile;

// A colour setting in the Windows encoding: 0x00BBGGRR for an RGB colour, 0xFF0000nn for the
// system colour number nn.
struct TColorSetting {
    int32_t value = 0;

    bool IsSystemColor() const;
    uint8_t SystemColorIndex() const;  // meaningful only when IsSystemColor()
    uint8_t Red() const;
    uint8_t Green() const;
    uint8_t Blue() const;
    // "#RRGGBB" for an RGB colour; a system colour maps to its default Windows 10 value, for
    // platforms that have no such colours.
    std::string ToHtmlColor() const;
};

// Every key of section "App" of zorv.ini as the runtime and the packaging tool read it. Read
// gives each key's value, or its default, from TSettingsSchema, the one description of the keys:
// there each key names its member here, so a new key is a member here and an entry there.
struct TProjectSettings {
    static constexpr const char* Section = "App";

    std::string id;
    std::string name;
    std::string dirName;
    std::string indexHtml;
    std::string urlSpace;  // "file" or "https" (Windows)
    std::string theme;
    bool allowInstances = false;
    bool edgeInstaller = false;
    TColorSetting installFormColor;
    int32_t installIndicatorColor = 0;  // 0 black, 1 white
    int32_t installIndicatorType = 0;
    std::string password;  // empty: none
    bool allowDebug = false;
    bool allowContextMenu = false;
    int32_t top = 0;
    int32_t left = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t maxWidth = 0;  // 0: no limit
    int32_t maxHeight = 0;
    int32_t minWidth = 0;
    int32_t minHeight = 0;
    int32_t windowPosition = 0;  // 0 centred
    int32_t windowStyle = 0;     // 1 full screen
    int32_t windowBorder = 0;
    int32_t windowState = 0;  // 0 normal, 1 maximised
    int32_t windowOrder = 0;  // 1 stays on top
    bool dynamicAppTitle = false;
    std::string icon;  // the desktop entry's PNG, relative to the project

    static TProjectSettings Read(const TMemIniFile& ini);
    // Every key at its default, as an empty zorv.ini reads.
    static TProjectSettings Defaults();
    // Start-up ends silently when one of these is empty.
    bool HasIdentity() const { return !id.empty() && !name.empty() && !dirName.empty(); }
    bool HasPassword() const { return !password.empty(); }
};

}  // namespace zorv
