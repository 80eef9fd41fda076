#include "runtime/CloseProtocol.h"

namespace zorv {

TCloseProtocol::TCloseProtocol(std::function<void(const std::string&)> runScript) : FRunScript(std::move(runScript)) {}

bool TCloseProtocol::CloseQuery(bool pageCanAnswer) {
    if (!pageCanAnswer) return true;
    const bool canClose = FCanClose;
    if (FRunScript) FRunScript(CloseQueryScript);
    return canClose;
}

void TCloseProtocol::AllowClose() { FCanClose = true; }

}  // namespace zorv
