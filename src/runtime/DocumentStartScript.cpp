#include "runtime/DocumentStartScript.h"

#include <algorithm>

namespace zorv {

namespace {
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
}

bool TDocumentStartScript::IsBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

std::string TDocumentStartScript::Compose(std::string_view bridgeScript, std::string_view extraScript) {
    if (bridgeScript.starts_with(Utf8Bom)) bridgeScript.remove_prefix(Utf8Bom.size());
    std::string script;
    script += '\r';
    script += bridgeScript;
    script += '\r';
    script += DragOverGuard;
    script += '\r';
    script += DropGuard;
    if (!IsBlank(extraScript)) {
        script += '\r';
        script += extraScript;
    }
    return script;
}

}  // namespace zorv
