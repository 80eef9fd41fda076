#pragma once
#include <cstdlib>
#include <map>
#include <string>

#include "support/ScratchFolder.h"

namespace zorv::test {

// Whether Info-ZIP's zip is on the PATH (always on the Linux machines; never under Wine).
inline bool InfoZipAvailable() {
#ifdef _WIN32
    return false;
#else
    return std::system("zip -v >/dev/null 2>&1") == 0;
#endif
}

// An archive written by Info-ZIP's zip from `files` (entry name -> bytes), encrypted with
// `password`: the bytes of the archive, or nothing when zip failed or is not there.
inline std::string ZipWithInfoZip(const std::map<std::string, std::string>& files, const std::string& password) {
    const TScratchFolder work;
    for (const auto& [name, bytes] : files) work.Write("in/" + name, bytes);
    std::filesystem::create_directories(work / "in");
    const std::string command = "cd '" + (work / "in").string() + "' && zip -q -r -P '" + password + "' '" +
                                (work / "out.zip").string() + "' . >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
    return work.Read("out.zip");
}

}  // namespace zorv::test
