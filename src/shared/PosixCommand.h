#pragma once
#include <cstddef>
#include <string>

#include "shared/CommandOutput.h"

namespace zorv {

// Runs a command line through "/bin/sh -c" and gives back everything it wrote to standard output
// and standard error, merged in one pipe in the order written. Standard input is inherited.
// Returns once the shell has exited and the output written so far is drained: children it left
// running in the background (a started server) may keep the pipe open, and are not waited for.
// Output beyond `maxOutput` ends the command with everything it started, and the output is given
// back cut to maxOutput + 1 bytes. Safe to call from any thread.
class TPosixCommand {
public:
    TPosixCommand() = delete;
    // `workingDir` empty: the process's current folder. Empty output when the folder does not
    // exist or the shell cannot be started.
    static std::string Run(const std::string& commandLine, const std::string& workingDir,
                           std::size_t maxOutput = MaxCommandOutputBytes);
};

}  // namespace zorv
