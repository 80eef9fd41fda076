#pragma once
#include <windows.h>

#include <string>

#include "support/ScratchFolder.h"

namespace zorv::test {

// True when the tests run under Wine, whose messages and a few behaviours differ from Windows.
bool RunningUnderWine();
// The folder of the running test program, with a trailing backslash.
std::wstring ProgramDir();
std::string ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool PathExists(const std::wstring& path);

}  // namespace zorv::test
