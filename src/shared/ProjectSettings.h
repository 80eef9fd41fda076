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
// gives each key's value, or its default from TSettingsSchema, the one description of the keys.
struct TProjectSettings {
    static constexpr const char* Section = "App";

    std::string id;                     // "ID"
    std::string name;                   // "Name"
    std::string dirName;                // "DirName"
    std::string indexHtml;              // "IndexHtml"
    std::string urlSpace;               // "UrlSpace": "file" or "https" (Windows)
    std::string theme;                  // "Theme"
    bool allowInstances = false;        // "AllowInstances"
    bool edgeInstaller = false;         // "EdgeInstaller"
    TColorSetting installFormColor;     // "InstallFormColor"
    int32_t installIndicatorColor = 0;  // "InstallIndicatorColor": 0 black, 1 white
    int32_t installIndicatorType = 0;   // "InstallIndicatorType"
    std::string password;               // "Password"; empty: none
    bool allowDebug = false;            // "AllowDebug"
    bool allowContextMenu = false;      // "AllowContextMenu"
    int32_t top = 0;                    // "Top"
    int32_t left = 0;                   // "Left"
    int32_t width = 0;                  // "Width"
    int32_t height = 0;                 // "Height"
    int32_t maxWidth = 0;               // "MaxWidth"; 0: no limit
    int32_t maxHeight = 0;              // "MaxHeight"
    int32_t minWidth = 0;               // "MinWidth"
    int32_t minHeight = 0;              // "MinHeight"
    int32_t windowPosition = 0;         // "WindowPosition": 0 centred
    int32_t windowStyle = 0;            // "WindowStyle": 1 full screen
    int32_t windowBorder = 0;           // "WindowBorder"
    int32_t windowState = 0;            // "WindowState": 0 normal, 1 maximised
    int32_t windowOrder = 0;            // "WindowOrder": 1 stays on top
    bool dynamicAppTitle = false;       // "DynamicAppTitle"
    std::string icon;                   // "Icon": the desktop entry's PNG, relative to the project

    static TProjectSettings Read(const TMemIniFile& ini);
    // Every key at its default, as an empty zorv.ini reads.
    static TProjectSettings Defaults();
    // Start-up ends silently when one of these is empty.
    bool HasIdentity() const { return !id.empty() && !name.empty() && !dirName.empty(); }
    bool HasPassword() const { return !password.empty(); }
};

}  // namespace zorv
