#include "shared/ProjectSettings.h"

#include <array>
#include <cstdio>
#include <variant>

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

// Reads one key into the member its description names, with the description's default.
class TKeyReader {
public:
    TKeyReader(const TMemIniFile& ini, const TSettingKey& key) : FIni(ini), FKey(key) {}

    void operator()(std::string TProjectSettings::*field, TProjectSettings& s) const {
        s.*field = FIni.ReadString(TSettingsSchema::Section, FKey.name, std::string(FKey.defaultValue));
    }
    void operator()(int32_t TProjectSettings::*field, TProjectSettings& s) const { s.*field = Integer(); }
    void operator()(TColorSetting TProjectSettings::*field, TProjectSettings& s) const { (s.*field).value = Integer(); }
    void operator()(bool TProjectSettings::*field, TProjectSettings& s) const {
        s.*field = FIni.ReadBool(TSettingsSchema::Section, FKey.name, TSettingsSchema::IntegerDefault(FKey) != 0);
    }

private:
    int32_t Integer() const {
        return FIni.ReadInteger(TSettingsSchema::Section, FKey.name, TSettingsSchema::IntegerDefault(FKey));
    }

    const TMemIniFile& FIni;
    const TSettingKey& FKey;
};

}  // namespace

TProjectSettings TProjectSettings::Read(const TMemIniFile& ini) {
    TProjectSettings s;
    for (const TSettingKey& key : TSettingsSchema::Keys())
        std::visit([&](auto field) { TKeyReader(ini, key)(field, s); }, key.field);
    return s;
}

TProjectSettings TProjectSettings::Defaults() { return Read(TMemIniFile()); }

}  // namespace zorv
