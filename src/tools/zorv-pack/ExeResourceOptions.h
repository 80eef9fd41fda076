#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

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

    // Reads the options from a parsed command; false with `error` set for a malformed one.
    bool Read(const TCommandLine& command, std::string& error);
    bool Empty() const { return !FIconPath && FVersionStrings.empty(); }
    // Applies them to the executable; false with `error` set when an edit failed.
    bool Apply(const std::string& exePath, std::string& error) const;

    const std::optional<std::string>& IconPath() const { return FIconPath; }
    const std::map<std::string, std::string>& VersionStrings() const { return FVersionStrings; }

private:
    std::optional<std::string> FIconPath;
    std::map<std::string, std::string> FVersionStrings;
};

}  // namespace zorv
