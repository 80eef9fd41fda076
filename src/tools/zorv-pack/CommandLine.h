#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shared/Result.h"

namespace zorv {

// One option a command accepts: its long name ("--runtime"), an optional short one ("-o"),
// and whether a value follows it.
struct TOptionSpec {
    std::string longName;
    std::string shortName;
    bool takesValue = true;
};

// Splits a command's arguments into positional arguments and options, against the list of
// options the command accepts. Accepts "--name value", "--name=value" and "-o value"; "--"
// ends the options.
class TCommandLine {
public:
    // Fails for an unknown option or a missing value.
    TStatus Parse(const std::vector<std::string>& args, const std::vector<TOptionSpec>& accepted);

    const std::vector<std::string>& Positionals() const { return FPositionals; }
    std::optional<std::string> Option(const std::string& longName) const;
    // Every value given to a repeatable option, in command-line order (Option gives the last).
    std::vector<std::string> OptionValues(const std::string& longName) const;
    bool Has(const std::string& longName) const { return FOptions.count(longName) != 0; }

private:
    std::vector<std::string> FPositionals;
    std::map<std::string, std::string> FOptions;
    std::map<std::string, std::vector<std::string>> FOptionValues;
};

}  // namespace zorv
