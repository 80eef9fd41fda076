#pragma once
#ifndef _WIN32
#include <string>

namespace zorv {

// Runs a command line through "/bin/sh -c" and gives back everything it wrote to standard output
// and standard error, merged in one pipe in the order written. Standard input is inherited. Blocks
// until the output has ended and the shell has exited; safe to call from any thread.
class TPosixCommand {
public:
    TPosixCommand() = delete;
    // `workingDir` empty: the process's current folder. Empty output when the folder does not
    // exist or the shell cannot be started.
    static std::string Run(const std::string& commandLine, const std::string& workingDir);
};

}  // namespace zorv
#endif
