#pragma once
#include <string>
#include <vector>

#include "shared/Result.h"

namespace zorv {

// The command line that starts the runtime with these arguments (UTF-8), written for the way
// the runtime reads its line: items split at blanks outside double quotes, the quotes removed,
// no escape character. An item with a blank, or an empty one, is put in quotes as it is (so
// "C:\My Dir\" keeps its one trailing backslash); a double quote cannot be passed at all.
TResult<std::wstring> RuntimeCommandLine(const std::wstring& program, const std::vector<std::string>& args);

}  // namespace zorv
