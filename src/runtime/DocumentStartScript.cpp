#include "runtime/DocumentStartScript.h"

#include <algorithm>

namespace zorv {

namespace {
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
}

bool TDocumentStartScript::IsBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

std::string TDocumentStartScript::Compose(std::string_view bridgeScript, bool withExternal, bool isRuntime,
                                          std::string_view extraScript) {
    std::string script;
    if (withExternal) {
        if (bridgeScript.starts_with(Utf8Bom)) bridgeScript.remove_prefix(Utf8Bom.size());
        script += '\r';
        script += bridgeScript;
    }
    script += '\r';
    script += DragOverGuard;
    script += '\r';
    script += DropGuard;
    if (isRuntime && !IsBlank(extraScript)) {
        script += '\r';
        script += extraScript;
    }
    return script;
}

}  // namespace zorv
