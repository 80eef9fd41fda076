#pragma once
#include <memory>
#include <string>
#include <vector>

#include "archive/AppPackage.h"
#include "runtime/StartupHost.h"
#include "shared/MemIniFile.h"
#include "shared/ProjectSettings.h"

namespace zorv {

// What start-up leaves behind for the main window, the page host and the bridge. Filled once,
// never written afterwards.
struct TRuntimeState {
    std::vector<std::string> args;  // command-line arguments, program name excluded
    // What the application shipped: the archive appended to the executable, or the project folder
    // that `zorv-pack run` serves.
    std::unique_ptr<IAppPackage> package;
    std::string projectFolder;    // the folder served; empty for a packaged application
    bool reloadOnChange = false;  // serving a folder: a change of its files reloads the page
    TMemIniFile projectIni;
    TProjectSettings settings;  // read from projectIni
    std::string appID;
    std::string appName;
    std::string appDirName;
    std::string appIndexHtml;
    std::string appDataDir;  // ends with a path delimiter
    std::unique_ptr<IInstanceLock> instanceLock;

    bool ServesFolder() const { return !projectFolder.empty(); }
};

}  // namespace zorv
