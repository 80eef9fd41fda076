#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "shared/MemIniFile.h"
#include "shared/ProjectSettings.h"
#include "shared/SettingsSchema.h"

namespace zorv {

// One thing wrong with a project folder, with the file (and line) it is in and how to put it right.
struct TProjectProblem {
    enum class TSeverity {
        Error,    // the application cannot run: build and run stop
        Warning,  // it runs, but not as the author meant
    };
    TSeverity severity = TSeverity::Error;
    std::string file;  // relative to the project folder, "/" separated
    int line = 0;      // 0 when the problem has no line
    std::string text;  // what is wrong; how to fix it

    // "zorv.ini:7: text", or "file: text" without a line.
    std::string Message() const;
};

// Checks a project folder as `zorv-pack build` and `zorv-pack run` take it, reporting every
// problem at once: zorv.ini and its required keys, the application folder, the start page, and
// every key of [App] against the description of the settings (unknown or misspelt keys, values
// that are not numbers, values outside their choices, themes that do not exist, window sizes
// that cannot be shown).
class TProjectCheck {
public:
    explicit TProjectCheck(std::filesystem::path projectDir);

    // Reads zorv.ini and checks everything: the required keys first, then every key in the order
    // of the file, then the application folder and its start page.
    void Run();
    const std::vector<TProjectProblem>& Problems() const { return FProblems; }
    bool HasErrors() const;
    const TProjectSettings& Settings() const { return FSettings; }
    const TMemIniFile& Ini() const { return FIni; }

    // The folder name becomes the prefix of entry names that the runtime and any unzip tool see,
    // so it must stay inside the project: relative, "/"-separated, no "." or ".." steps.
    static bool IsSafeDirName(const std::string& dirName);

private:
    void CheckKeys();
    void CheckValue(const TSettingKey& key, const std::string& writtenName, const std::string& value, int line);
    void CheckIdentity();
    void CheckAppFolder();
    void CheckSizeLimits();
    int LineOf(std::string_view key) const;
    void Report(TProjectProblem::TSeverity severity, std::string file, int line, std::string text);

    std::filesystem::path FProjectDir;
    TMemIniFile FIni;
    TProjectSettings FSettings;
    std::vector<TProjectProblem> FProblems;
};

}  // namespace zorv
