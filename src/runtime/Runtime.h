#pragma once

namespace zorv {

// Runs the packaged application: start-up sequence, main window, message loop. Returns the
// process exit code. Each platform backend provides it.
int RunRuntime(int argc, char** argv);

}  // namespace zorv
