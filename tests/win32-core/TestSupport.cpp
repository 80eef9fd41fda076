// Shared by every test program of this folder: a crash must fail the run, and under Wine an
// unhandled crash may otherwise end the process with exit code 0.
#include <windows.h>

namespace {
LONG WINAPI ExitOnCrash(EXCEPTION_POINTERS*) { ::ExitProcess(86); }

const bool Installed = [] {
    ::SetUnhandledExceptionFilter(ExitOnCrash);
    return true;
}();
}  // namespace
