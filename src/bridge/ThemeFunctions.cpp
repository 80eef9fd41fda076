// zorv.themes.*: read, list and switch the visual theme of the native windows.
#include "bridge/BrowserExternalModule.h"

#include "shared/StrUtils.h"
#include "bridge/ActiveTheme.h"
#include "shared/StylesUtils.h"

namespace zorv {

namespace {

TActiveTheme& RequireStyles(TActiveTheme* styles) {
    if (!styles) throw EBridgeError("The bridge has no theme support");
    return *styles;
}

}  // namespace

void TBrowserExternalModule::ThemesGetTheme(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, TStrUtils::StringToJsonString(RequireStyles(FServices.activeTheme).GetActiveTheme()));
}

void TBrowserExternalModule::ThemesGetThemes(const std::string& uuid, const TBridgeArguments&) {
    std::vector<std::string> themes;
    TStylesUtils::GetAvailables(themes, TStylesUtils::TOrder::Sorted);
    std::string result = "[";
    for (std::size_t i = 0; i < themes.size(); ++i) {
        if (i) result += ',';
        result += TStrUtils::StringToJsonString(themes[i]);
    }
    result += ']';
    SendSuccess(uuid, result);
}

void TBrowserExternalModule::ThemesSetTheme(const std::string& uuid, const TBridgeArguments& args) {
    const std::string name = args.ReadString("name");
    TActiveTheme& styles = RequireStyles(FServices.activeTheme);
    styles.TrySetStyle(name, TActiveTheme::TUnknownName::Ignore);
    SendSuccess(uuid, styles.GetActiveTheme() == name ? "true" : "false");
}

}  // namespace zorv
