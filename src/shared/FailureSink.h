#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <version>

#include "shared/Result.h"

#if defined(__cpp_lib_source_location)
#include <source_location>
#endif

namespace zorv {

// Where a failure was noticed. std::source_location where the standard library has it; the
// compiler built-ins it is made of otherwise (clang 14 with libstdc++ has no std::source_location).
#if defined(__cpp_lib_source_location)
using TSourcePlace = std::source_location;
#else
struct TSourcePlace {
    static constexpr TSourcePlace current(const char* file = __builtin_FILE(), int line = __builtin_LINE(),
                                          const char* function = __builtin_FUNCTION()) {
        return TSourcePlace{file, line, function};
    }
    constexpr const char* file_name() const { return FFile; }
    constexpr unsigned line() const { return static_cast<unsigned>(FLine); }
    constexpr const char* function_name() const { return FFunction; }
    const char* FFile = "";
    int FLine = 0;
    const char* FFunction = "";
};
#endif

// One place that failures nobody is shown end up in, so that they still leave a trace: an
// exception a bridge function let out, a web view call that returned an error, a GLib error that
// was otherwise dropped. Quiet until the runtime turns on the system's trace (standard error on
// Linux, the debugger output on Windows); tests may install their own receiver.
class TFailureSink {
public:
    using TReceiver = std::function<void(std::string_view text, const TSourcePlace& where)>;

    static void Report(std::string_view text, const TSourcePlace& where = TSourcePlace::current());
    // For callers that can only go on or not: reports a failed outcome, and says whether it succeeded.
    static bool Passed(const TStatus& outcome, const TSourcePlace& where = TSourcePlace::current());

    // Sends reports to standard error (Linux) or OutputDebugString (Windows).
    static void TraceToSystem();
    // Replaces the receiver; an empty one makes reports quiet again. Returns the previous one.
    static TReceiver SetReceiver(TReceiver receiver);

    // The line a report is written as: "zorv: TEXT (FILE:LINE)".
    static std::string Format(std::string_view text, const TSourcePlace& where);
    // Writes one line where the system keeps traces; each platform's file defines it.
    static void WriteTraceLine(const std::string& line);
};

}  // namespace zorv
