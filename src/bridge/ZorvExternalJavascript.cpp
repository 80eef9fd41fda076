#include "bridge/ZorvExternalJavascript.h"

#include <cstddef>
#include <nlohmann/json.hpp>

#include "bridge/BrowserExternalModule.h"

extern const unsigned char ZorvExternalJavascriptBytes[];
extern const std::size_t ZorvExternalJavascriptBytes_size;

namespace zorv {
namespace {

// Where zorv.js takes the function table; an identifier, so a script left without the table
// fails at once in the page rather than missing its functions quietly.
constexpr std::string_view FunctionTablePlaceholder = "ZORV_FUNCTION_TABLE";

}  // namespace

std::string PageFunctionTable() {
    nlohmann::json table = nlohmann::json::array();
    for (const TBrowserExternalModule::TFunctionInfo& function : TBrowserExternalModule::Functions())
        table.push_back(
            {function.id, function.pagePath, function.pageArgs == TBrowserExternalModule::TPageArgs::Passed});
    return table.dump();
}

std::string WithPageFunctionTable(std::string_view script) {
    std::string text(script);
    const std::size_t at = text.find(FunctionTablePlaceholder);
    if (at != std::string::npos) text.replace(at, FunctionTablePlaceholder.size(), PageFunctionTable());
    return text;
}

std::string_view ZorvExternalJavascript() {
    static const std::string script = [] {
        std::string_view file(reinterpret_cast<const char*>(ZorvExternalJavascriptBytes),
                              ZorvExternalJavascriptBytes_size);
        if (file.substr(0, 3) == "\xEF\xBB\xBF") file.remove_prefix(3);
        return WithPageFunctionTable(file);
    }();
    return script;
}

}  // namespace zorv
