#pragma once
#include <memory>
#include <string>

#include "archive/AbZipKit.h"

namespace zorv::test {

// The folder of the running test program, with a trailing backslash.
std::string ProgramDir();
// The data folder the build copies beside the tests, with a trailing backslash.
std::string DataDir();
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The archive made by the zip tool from data/archive, opened with the fixed password.
std::unique_ptr<TAbZipKit> OpenTestArchive();

}  // namespace zorv::test
