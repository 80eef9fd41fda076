#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shared/Result.h"

namespace zorv {

class TCommandLine;
struct TOptionSpec;

// The options of `build` that personalise the packaged executable before its archive is
// appended: "--icon FILE.ico" replaces the main icon, and each "--version-info KEY=VALUE" rewrites
// one string of the version resource (KEY one of CompanyName, FileDescription, FileVersion,
// InternalName, LegalCopyright, LegalTrademarks, OriginalFileName, ProgramID, ProductName,
// ProductVersion, Comments; matched without regard to case).
class TExeResourceOptions {
public:
    static std::vector<TOptionSpec> Specs();

    // Reads the options from a parsed command; fails for a malformed one.
    TStatus Read(const TCommandLine& command);
    bool Empty() const { return !FIconPath && FVersionStrings.empty(); }
    // Applies them to the executable; fails when an edit failed.
    TStatus Apply(const std::string& exePath) const;

    const std::optional<std::string>& IconPath() const { return FIconPath; }
    const std::map<std::string, std::string>& VersionStrings() const { return FVersionStrings; }

private:
    std::optional<std::string> FIconPath;
    std::map<std::string, std::string> FVersionStrings;
};

}  // namespace zorv
