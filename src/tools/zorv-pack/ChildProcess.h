#pragma once
#include <string>
#include <vector>

#include "shared/Result.h"

namespace zorv {

// Runs a program with arguments (UTF-8), its standard streams those of this process: its exit
// code, or why it could not be started. On Windows this process waits for it, and the command
// line is written the way the runtime reads its own (RuntimeCommandLineWin32.h); elsewhere it
// takes this process's place and returns only when it could not be started.
TResult<int> RunChildProcess(const std::string& program, const std::vector<std::string>& args);

}  // namespace zorv
