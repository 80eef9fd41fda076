// The handler std::terminate runs unless the program sets another, in place of the C++ library's
// own. That one names the exception's type through the C++ name demangler, which alone adds some
// 50 KB to the statically linked runtime; this one writes the exception's message to standard
// error and to the debugger's output, then ends the process as the library's handler does.
// Linked into the runtime executable only: a definition here keeps the linker from taking the
// library's.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

void WriteLine(const char* first, const char* second) {
    std::fputs(first, stderr);
    std::fputs(second, stderr);
    std::fputs("\n", stderr);
    ::OutputDebugStringA(first);
    ::OutputDebugStringA(second);
    ::OutputDebugStringA("\n");
}

void ReportCurrentException() {
    const std::exception_ptr current = std::current_exception();
    if (!current) {
        WriteLine("terminate called without an active exception", "");
        return;
    }
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& error) {
        WriteLine("terminate called after throwing an exception: ", error.what());
    } catch (...) {
        WriteLine("terminate called after throwing an exception that is not a std::exception", "");
    }
}

}  // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    // A second call (what() itself threw) ends the process at once.
    static bool reporting = false;
    if (!reporting) {
        reporting = true;
        ReportCurrentException();
    }
    std::abort();
}

}  // namespace __gnu_cxx
