#include "tools/zorv-pack/ExeResourceOptions.h"

#include <algorithm>
#include <cctype>

#include "shared/ExeResources.h"
#include "shared/VersionResource.h"
#include "tools/zorv-pack/CommandLine.h"

namespace zorv {

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::optional<std::string> CanonicalVersionKey(const std::string& key) {
    for (const std::string& known : TVersionResource::StringKeys())
        if (SameIgnoringCase(key, known)) return known;
    return std::nullopt;
}

}  // namespace

std::vector<TOptionSpec> TExeResourceOptions::Specs() { return {{"--icon", "", true}, {"--version-info", "", true}}; }

TStatus TExeResourceOptions::Read(const TCommandLine& command) {
    FIconPath = command.Option("--icon");
    if (FIconPath && FIconPath->empty()) {
        return Failure("--icon needs an .ico file");
    }
    for (const std::string& item : command.OptionValues("--version-info")) {
        const size_t equals = item.find('=');
        const auto key = equals == std::string::npos ? std::nullopt : CanonicalVersionKey(item.substr(0, equals));
        if (!key) {
            std::string keys;
            for (const std::string& known : TVersionResource::StringKeys()) keys += (keys.empty() ? "" : ", ") + known;
            return Failure("--version-info takes KEY=VALUE with KEY one of " + keys + " (got \"" + item + "\")");
        }
        FVersionStrings[*key] = item.substr(equals + 1);
    }
#ifndef _WIN32
    if (!Empty()) {
        return Failure("--icon and --version-info need the Windows build of zorv-pack");
    }
#endif
    return Succeeded();
}

TStatus TExeResourceOptions::Apply(const std::string& exePath) const {
    try {
        if (FIconPath) TExeResources::ChangeExeIcon(exePath, *FIconPath);
    } catch (const EExeResourceError& e) {
        return Failure((FIconPath ? "--icon " + *FIconPath + ": " : std::string()) + e.what());
    }
    if (!FVersionStrings.empty() && !TExeResources::UpdateExeVersionStrings(exePath, FVersionStrings)) {
        return Failure(
            "cannot rewrite the version strings of the runtime copy (it has no version resource, or it cannot be "
            "written)");
    }
    return Succeeded();
}

}  // namespace zorv
