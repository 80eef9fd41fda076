#pragma once
#include <string>

namespace zorv {

// Renders one of the catalogue's themes on every native window of the process, at once.
// Name matching and the catalogue itself live in TStylesUtils, the active theme in TActiveTheme;
// the engine only applies a catalogue name ("Windows" meaning the system look).
class IThemeEngine {
public:
    virtual ~IThemeEngine() = default;
    virtual void ApplyTheme(const std::string& catalogueName) = 0;
};

}  // namespace zorv
