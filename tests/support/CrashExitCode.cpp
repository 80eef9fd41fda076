// Linked into every Windows test program. An unhandled crash under Wine sometimes ends the process
// with exit code 0; this filter makes it end with a code of its own so that no crash passes.
#include <windows.h>

#include <cstdio>

namespace {

constexpr UINT CrashExitCode = 3;

LONG WINAPI ExitOnUnhandledException(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "unhandled exception 0x%08lx\n",
                 info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0UL);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), CrashExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

struct TCrashFilterInstaller {
    TCrashFilterInstaller() {
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        SetUnhandledExceptionFilter(ExitOnUnhandledException);
    }
};

const TCrashFilterInstaller crashFilterInstaller;

}  // namespace
