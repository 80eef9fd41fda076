#include "runtime/Runtime.h"
#include "shared/FailureSink.h"

int main(int argc, char** argv) {
    // Failures nobody is shown still leave a line on standard error or in the debugger's output.
    zorv::TFailureSink::TraceToSystem();
    return zorv::RunRuntime(argc, argv);
}
