#include "bridge/ActiveTheme.h"

#include "platform/ThemeEngine.h"
#include "shared/StylesUtils.h"

namespace zorv {

TActiveTheme::TActiveTheme(IThemeEngine& engine, TShowError showError)
    : FEngine(engine), FShowError(std::move(showError)), FActiveTheme(TStylesUtils::SystemTheme) {}

void TActiveTheme::TrySetStyle(const std::string& themeName, TUnknownName unknownName) {
    const auto found = TStylesUtils::FindTheme(themeName);
    if (!found) {
        if (unknownName == TUnknownName::ShowError && FShowError) FShowError("Style '" + themeName + "' not found");
        return;
    }
    if (*found == FActiveTheme) return;
    FEngine.ApplyTheme(*found);
    FActiveTheme = *found;
}

}  // namespace zorv
