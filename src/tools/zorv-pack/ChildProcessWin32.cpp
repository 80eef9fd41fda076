#include <windows.h>

#include "shared/Utf8Path.h"
#include "tools/zorv-pack/ChildProcess.h"

namespace zorv {

namespace {

// One argument as the C runtime's command-line parser reads it back.
std::wstring Quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

}  // namespace

TResult<int> RunChildProcess(const std::string& program, const std::vector<std::string>& args) {
    const std::wstring wideProgram = Utf8Path(program).wstring();
    std::wstring commandLine = Quoted(wideProgram);
    for (const std::string& arg : args) commandLine += L" " + Quoted(Utf8Path(arg).wstring());
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
