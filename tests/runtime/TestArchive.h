#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "archive/AbZipKit.h"

namespace zorv::test {

// A scratch folder that is removed with the object.
class TScratchDir {
public:
    TScratchDir() {
        FPath = std::filesystem::temp_directory_path() /
                ("zorv-runtime-test-" + std::to_string(std::rand()) + "-" + std::to_string(Counter()++));
        std::filesystem::create_directories(FPath);
    }
    ~TScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    const std::filesystem::path& Path() const { return FPath; }
    std::string Str() const { return FPath.string() + "/"; }
    void Write(const std::string& relative, const std::string& bytes) const {
        const auto file = FPath / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

private:
    static int& Counter() {
        static int counter = 0;
        return counter;
    }
    std::filesystem::path FPath;
};

inline std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Info-ZIP's zip on the PATH (always on the Linux machines; not under Wine).
inline bool ZipToolAvailable() {
#ifdef _WIN32
    return false;
#else
    return std::system("zip -v >/dev/null 2>&1") == 0;
#endif
}

// An encrypted archive written by Info-ZIP's zip from the given files (name -> bytes).
inline std::string ZipWithTool(const std::map<std::string, std::string>& files,
                               const std::string& password = ZORV_ARCHIVE_PASSWORD) {
    TScratchDir dir;
    for (const auto& [name, bytes] : files) dir.Write("tree/" + name, bytes);
    const std::string command =
        "cd '" + (dir.Path() / "tree").string() + "' && zip -q -r -P '" + password + "' ../out.zip . >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "zip failed: " << command;
    return ReadAll(dir.Path() / "out.zip");
}

}  // namespace zorv::test
