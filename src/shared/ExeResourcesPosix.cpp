#include <map>
#include <string>

#include "shared/ExeResources.h"

namespace zorv {

// Without the Windows resource-update services the edits are refused.
void TExeResources::ChangeExeIcon(const std::string&, const std::string&) {
    throw EExeResourceError("Changing the icon of an executable needs the Windows build of this tool");
}

bool TExeResources::UpdateExeVersionStrings(const std::string&, const std::map<std::string, std::string>&) {
    return false;
}

}  // namespace zorv
