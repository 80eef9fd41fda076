#include "tools/zorv-pack/CommandLine.h"

namespace zorv {

TStatus TCommandLine::Parse(const std::vector<std::string>& args, const std::vector<TOptionSpec>& accepted) {
    FPositionals.clear();
    FOptions.clear();
    FOptionValues.clear();
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            FPositionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const bool isLong = arg.rfind("--", 0) == 0;
        const std::string name = isLong && equals != std::string::npos ? arg.substr(0, equals) : arg;
        const TOptionSpec* spec = nullptr;
        for (const TOptionSpec& candidate : accepted)
            if (name == candidate.longName || (!candidate.shortName.empty() && name == candidate.shortName))
                spec = &candidate;
        if (spec == nullptr) {
            return Failure("unknown option " + name);
        }
        if (!spec->takesValue) {
            if (name != arg) {
                return Failure("option " + name + " takes no value");
            }
            FOptions[spec->longName] = "";
        } else if (name != arg) {
            FOptions[spec->longName] = arg.substr(equals + 1);
            FOptionValues[spec->longName].push_back(FOptions[spec->longName]);
        } else if (i + 1 < args.size()) {
            FOptions[spec->longName] = args[++i];
            FOptionValues[spec->longName].push_back(FOptions[spec->longName]);
        } else {
            return Failure("option " + name + " needs a value");
        }
    }
    return {};
}

std::optional<std::string> TCommandLine::Option(const std::string& longName) const {
    const auto found = FOptions.find(longName);
    if (found == FOptions.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> TCommandLine::OptionValues(const std::string& longName) const {
    const auto found = FOptionValues.find(longName);
    return found == FOptionValues.end() ? std::vector<std::string>{} : found->second;
}

}  // namespace zorv
