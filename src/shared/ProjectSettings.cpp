#include "shared/ProjectSettings.h"

#include <array>
#include <cstdio>

#include "shared/MemIniFile.h"
#include "shared/SettingsSchema.h"

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

namespace {

// Each key is read with the type and default its description gives; a key missing from the
// description is a programming error that the settings tests catch.
class TKeyReader {
public:
    explicit TKeyReader(const TMemIniFile& ini) : FIni(ini) {}

    std::string String(std::string_view name) const {
        return FIni.ReadString(TSettingsSchema::Section, name, std::string(Key(name).defaultValue));
    }
    int32_t Integer(std::string_view name) const {
        return FIni.ReadInteger(TSettingsSchema::Section, name, TSettingsSchema::IntegerDefault(Key(name)));
    }
    bool Boolean(std::string_view name) const {
        return FIni.ReadBool(TSettingsSchema::Section, name, TSettingsSchema::IntegerDefault(Key(name)) != 0);
    }

private:
    static const TSettingKey& Key(std::string_view name) {
        static const TSettingKey unknown{};
        const TSettingKey* key = TSettingsSchema::Find(name);
        return key ? *key : unknown;
    }

    const TMemIniFile& FIni;
};

}  // namespace

TProjectSettings TProjectSettings::Read(const TMemIniFile& ini) {
    const TKeyReader r(ini);
    TProjectSettings s;
    s.id = r.String("ID");
    s.name = r.String("Name");
    s.dirName = r.String("DirName");
    s.indexHtml = r.String("IndexHtml");
    s.urlSpace = r.String("UrlSpace");
    s.theme = r.String("Theme");
    s.allowInstances = r.Boolean("AllowInstances");
    s.edgeInstaller = r.Boolean("EdgeInstaller");
    s.installFormColor.value = r.Integer("InstallFormColor");
    s.installIndicatorColor = r.Integer("InstallIndicatorColor");
    s.installIndicatorType = r.Integer("InstallIndicatorType");
    s.password = r.String("Password");
    s.allowDebug = r.Boolean("AllowDebug");
    s.allowContextMenu = r.Boolean("AllowContextMenu");
    s.top = r.Integer("Top");
    s.left = r.Integer("Left");
    s.width = r.Integer("Width");
    s.height = r.Integer("Height");
    s.maxWidth = r.Integer("MaxWidth");
    s.maxHeight = r.Integer("MaxHeight");
    s.minWidth = r.Integer("MinWidth");
    s.minHeight = r.Integer("MinHeight");
    s.windowPosition = r.Integer("WindowPosition");
    s.windowStyle = r.Integer("WindowStyle");
    s.windowBorder = r.Integer("WindowBorder");
    s.windowState = r.Integer("WindowState");
    s.windowOrder = r.Integer("WindowOrder");
    s.dynamicAppTitle = r.Boolean("DynamicAppTitle");
    s.icon = r.String("Icon");
    return s;
}

TProjectSettings TProjectSettings::Defaults() { return Read(TMemIniFile()); }

}  // namespace zorv
