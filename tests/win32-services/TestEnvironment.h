#pragma once
#include <windows.h>

#include <string>

namespace zorv::test {

// True when the tests run under Wine, whose messages and a few behaviours differ from Windows.
bool RunningUnderWine();
// The folder of the running test program, with a trailing backslash.
std::wstring ProgramDir();
std::string ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool PathExists(const std::wstring& path);

// A fresh empty folder under the temporary folder, removed with its content afterwards.
class TScratchDir {
public:
    TScratchDir();
    ~TScratchDir();
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;
    const std::wstring& Path() const { return FPath; }  // with a trailing backslash

private:
    std::wstring FPath;
};

}  // namespace zorv::test
