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

bool TExeResourceOptions::Read(const TCommandLine& command, std::string& error) {
    FIconPath = command.Option("--icon");
    if (FIconPath && FIconPath->empty()) {
        error = "--icon needs an .ico file";
        return false;
    }
    for (const std::string& item : command.OptionValues("--version-info")) {
        const size_t equals = item.find('=');
        const auto key = equals == std::string::npos ? std::nullopt : CanonicalVersionKey(item.substr(0, equals));
        if (!key) {
            std::string keys;
            for (const std::string& known : TVersionResource::StringKeys()) keys += (keys.empty() ? "" : ", ") + known;
            error = "--version-info takes KEY=VALUE with KEY one of " + keys + " (got \"" + item + "\")";
            return false;
        }
        FVersionStrings[*key] = item.substr(equals + 1);
    }
#ifndef _WIN32
    if (!Empty()) {
        error = "--icon and --version-info need the Windows build of zorv-pack";
        return false;
    }
#endif
    return true;
}

bool TExeResourceOptions::Apply(const std::string& exePath, std::string& error) const {
    try {
        if (FIconPath) TExeResources::ChangeExeIcon(exePath, *FIconPath);
    } catch (const EExeResourceError& e) {
        error = (FIconPath ? "--icon " + *FIconPath + ": " : std::string()) + e.what();
        return false;
    }
    if (!FVersionStrings.empty() && !TExeResources::UpdateExeVersionStrings(exePath, FVersionStrings)) {
        error =
            "cannot rewrite the version strings of the runtime copy (it has no version resource, or it cannot be "
            "written)";
        return false;
    }
    return true;
}

}  // namespace zorv
