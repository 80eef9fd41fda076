#pragma once
#include <filesystem>
#include <string>

#include "shared/Result.h"

namespace zorv {

// A new project as `zorv-pack init` writes it: zorv.ini with every key of [App] commented, a start
// page that calls the bridge, the type declarations of window.zorv for editors and a
// jsconfig.json that points at them.
class TProjectTemplate {
public:
    static constexpr const char* AppDirName = "app";

    // `name` and `id` may be empty: the folder's name gives them.
    TProjectTemplate(std::filesystem::path folder, std::string name, std::string id);

    // Writes the project; refuses a folder that exists and is not empty, and writes nothing then.
    TStatus Write() const;

    const std::string& Name() const { return FName; }
    const std::string& Id() const { return FId; }
    // "com.example." and the folder name in lower case, letters, digits and dashes only.
    static std::string IdForFolder(const std::string& folderName);
    static std::string StartPage(const std::string& name);
    static std::string JsConfig();

private:
    std::filesystem::path FFolder;
    std::string FName;
    std::string FId;
};

}  // namespace zorv
