#pragma once
#include <windows.h>

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
};

}  // namespace zorv
