#include "shared/ProjectSettings.h"

#include <array>
#include <cstdio>

#include "shared/MemIniFile.h"

namespace zorv {

namespace {

// Default Windows 10 values (0xRRGGBB) of system colours 0 to 30, for platforms without them.
constexpr std::array<uint32_t, 31> DefaultSystemColors = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4,
    0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969,
    0xE3E3E3, 0x000000, 0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0};

uint32_t Bits(int32_t value) { return static_cast<uint32_t>(value); }

}  // namespace

bool TColorSetting::IsSystemColor() const { return (Bits(value) & 0xFF000000u) == 0xFF000000u; }

uint8_t TColorSetting::SystemColorIndex() const { return static_cast<uint8_t>(Bits(value) & 0xFF); }

uint8_t TColorSetting::Red() const { return static_cast<uint8_t>(Bits(value) & 0xFF); }

uint8_t TColorSetting::Green() const { return static_cast<uint8_t>((Bits(value) >> 8) & 0xFF); }

uint8_t TColorSetting::Blue() const { return static_cast<uint8_t>((Bits(value) >> 16) & 0xFF); }

std::string TColorSetting::ToHtmlColor() const {
    uint32_t rgb = 0;
    if (IsSystemColor()) {
        const uint8_t index = SystemColorIndex();
        rgb = index < DefaultSystemColors.size() ? DefaultSystemColors[index] : 0;
    } else {
        rgb = (uint32_t{Red()} << 16) | (uint32_t{Green()} << 8) | Blue();
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06X", static_cast<unsigned>(rgb));
    return buffer;
}

TProjectSettings TProjectSettings::Read(const TMemIniFile& ini) {
    const TProjectSettings d;  // the defaults
    TProjectSettings s;
    s.id = ini.ReadString(Section, "ID", d.id);
    s.name = ini.ReadString(Section, "Name", d.name);
    s.dirName = ini.ReadString(Section, "DirName", d.dirName);
    s.indexHtml = ini.ReadString(Section, "IndexHtml", d.indexHtml);
    s.theme = ini.ReadString(Section, "Theme", d.theme);
    s.allowInstances = ini.ReadBool(Section, "AllowInstances", d.allowInstances);
    s.edgeInstaller = ini.ReadBool(Section, "EdgeInstaller", d.edgeInstaller);
    s.installFormColor.value = ini.ReadInteger(Section, "InstallFormColor", d.installFormColor.value);
    s.installIndicatorColor = ini.ReadInteger(Section, "InstallIndicatorColor", d.installIndicatorColor);
    s.installIndicatorType = ini.ReadInteger(Section, "InstallIndicatorType", d.installIndicatorType);
    s.password = ini.ReadString(Section, "Password", d.password);
    s.allowDebug = ini.ReadBool(Section, "AllowDebug", d.allowDebug);
    s.allowContextMenu = ini.ReadBool(Section, "AllowContextMenu", d.allowContextMenu);
    s.top = ini.ReadInteger(Section, "Top", d.top);
    s.left = ini.ReadInteger(Section, "Left", d.left);
    s.width = ini.ReadInteger(Section, "Width", d.width);
    s.height = ini.ReadInteger(Section, "Height", d.height);
    s.maxWidth = ini.ReadInteger(Section, "MaxWidth", d.maxWidth);
    s.maxHeight = ini.ReadInteger(Section, "MaxHeight", d.maxHeight);
    s.minWidth = ini.ReadInteger(Section, "MinWidth", d.minWidth);
    s.minHeight = ini.ReadInteger(Section, "MinHeight", d.minHeight);
    s.windowPosition = ini.ReadInteger(Section, "WindowPosition", d.windowPosition);
    s.windowStyle = ini.ReadInteger(Section, "WindowStyle", d.windowStyle);
    s.windowBorder = ini.ReadInteger(Section, "WindowBorder", d.windowBorder);
    s.windowState = ini.ReadInteger(Section, "WindowState", d.windowState);
    s.windowOrder = ini.ReadInteger(Section, "WindowOrder", d.windowOrder);
    s.dynamicAppTitle = ini.ReadBool(Section, "DynamicAppTitle", d.dynamicAppTitle);
    return s;
}

}  // namespace zorv
