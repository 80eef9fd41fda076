#pragma once
#include <memory>
#include <string>
#include <vector>

#include "archive/AbZipKit.h"
#include "runtime/StartupHost.h"
#include "shared/MemIniFile.h"
#include "shared/ProjectSettings.h"

namespace zorv {

// What start-up leaves behind for the main window, the page host and the bridge. Filled once,
// never written afterwards.
struct TRuntimeState {
    std::vector<std::string> args;  // command-line arguments, program name excluded
    std::unique_ptr<TAbZipKit> exeZip = std::make_unique<TAbZipKit>();
    TMemIniFile projectIni;
    TProjectSettings settings;  // read from projectIni
    std::string appID;
    std::string appName;
    std::string appDirName;
    std::string appIndexHtml;
    std::string appDataDir;  // ends with a path delimiter
    std::unique_ptr<IInstanceLock> instanceLock;
};

}  // namespace zorv
