#pragma once
#include <memory>
#include <string>
#include <vector>

#include "archive/AbZipKit.h"
#include "shared/AppPackage.h"
#include "runtime/StartupHost.h"
#include "shared/MemIniFile.h"
#include "shared/ProjectSettings.h"

namespace zorv {

// What start-up leaves behind for the main window, the page host and the bridge. Filled once,
// never written afterwards.
struct TRuntimeState {
    std::vector<std::string> args;  // command-line arguments, program name excluded
    std::unique_ptr<TAbZipKit> exeZip = std::make_unique<TAbZipKit>();
    // What the application shipped: the archive (through exeZip), or the project folder that
    // `zorv-pack run` serves (then exeZip stays empty).
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
