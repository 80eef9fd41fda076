#include <windows.h>

#include "shared/Utf8Path.h"
#include "tools/zorv-pack/ChildProcess.h"
#include "tools/zorv-pack/RuntimeCommandLineWin32.h"

namespace zorv {

TResult<int> RunChildProcess(const std::string& program, const std::vector<std::string>& args) {
    const std::wstring wideProgram = Utf8Path(program).wstring();
    TResult<std::wstring> built = RuntimeCommandLine(wideProgram, args);
    if (!built) return Failure(built.Error());
    std::wstring commandLine = std::move(built).Value();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(wideProgram.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process))
        return Failure("cannot start \"" + program + "\" (error " + std::to_string(::GetLastError()) + ")");
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

}  // namespace zorv
