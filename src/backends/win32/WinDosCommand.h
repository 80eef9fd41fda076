#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace zorv {

// "cmd.exe /C <command line>" with its standard output and error captured together.
class TWinDosCommand {
public:
    TWinDosCommand() = delete;

    // Each child gets exactly its own pipe and standard input and nothing else, so that a command
    // started at the same moment on another thread never holds this one's pipe open. The result
    // is settled when the command interpreter has ended: what its pipe holds then is read, and a
    // program it left running (which may keep the pipe open for good) is not waited for. Output
    // beyond MaxCommandOutputBytes ends the command and all it started; the text then comes back
    // longer than that limit. Empty when the interpreter cannot be started.
    static std::wstring Run(const std::wstring& commandLine, const std::wstring& workingDir, bool showWindow);

    // Puts the started, still suspended process into the job; false when the system refused
    // (a process already in a job that allows no nesting, for example).
    using TJobAssignment = std::function<bool(HANDLE job, HANDLE process)>;
    // Run with the job assignment given, for tests that make it fail: the command is then still
    // ended, with everything it started, when its output passes the limit.
    static std::wstring Run(const std::wstring& commandLine, const std::wstring& workingDir, bool showWindow,
                            const TJobAssignment& assignToJob);

    // The command interpreter, by its full path in the system folder: a cmd.exe planted beside the
    // application or in the current folder is never run.
    static std::wstring InterpreterPath();
    // The code page console programs write to the pipe in: the console's output page, which a
    // child shares with this process or, when this process has no console, gets new as the OEM
    // page. Not the ANSI page, which differs from it on most systems (1252 and 437 or 850, 1251
    // and 866).
    static UINT OutputCodePage();
    // `bytes` in `codePage` as UTF-16; bytes the page does not map become U+FFFD or its best fit.
    static std::wstring Decode(const std::string& bytes, UINT codePage);
};

}  // namespace zorv
