#pragma once
// Helpers shared by the archive and packaging tests: scratch folders, files, and external
// tools run as real processes.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "support/ScratchFolder.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace zorv::test {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

inline std::string Quote(const fs::path& path) {
    std::string quoted = path.string();
    quoted.insert(quoted.begin(), '\'');
    quoted.push_back('\'');
    return quoted;
}

// Runs a shell command and gives its exit status (-1 when it did not exit normally).
inline int RunShell(const std::string& command) {
    const int status = std::system(command.c_str());
#ifdef _WIN32
    return status;
#else
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
#endif
}

// The external tools are the Linux ones; the Windows build's tests (run under Wine) skip them.
inline bool HasTool(const std::string& name) {
#ifdef _WIN32
    (void)name;
    return false;
#else
    return RunShell("command -v " + name + " >/dev/null 2>&1") == 0;
#endif
}

inline fs::path BinaryDir() {
    const char* dir = std::getenv("ZORV_BINARY_DIR");
    return dir ? fs::path(dir) : fs::current_path();
}

}  // namespace zorv::test
