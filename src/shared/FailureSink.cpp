#include "shared/FailureSink.h"

#include <mutex>
#include <string>

namespace zorv {
namespace {

// The receiver is set at start-up (or by a test) and read by any thread that reports.
std::mutex& ReceiverMutex() {
    static std::mutex mutex;
    return mutex;
}

TFailureSink::TReceiver& Receiver() {
    static TFailureSink::TReceiver receiver;
    return receiver;
}

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void WriteToSystem(std::string_view text, const TSourcePlace& where) {
    TFailureSink::WriteTraceLine(TFailureSink::Format(text, where) + "\n");
}

}  // namespace

void TFailureSink::Report(std::string_view text, const TSourcePlace& where) {
    TReceiver receiver;
    {
        std::lock_guard lock(ReceiverMutex());
        receiver = Receiver();
    }
    if (receiver) receiver(text, where);
}

bool TFailureSink::Passed(const TStatus& outcome, const TSourcePlace& where) {
    if (!outcome) Report(outcome.Error(), where);
    return outcome.Ok();
}

void TFailureSink::TraceToSystem() { SetReceiver(WriteToSystem); }

TFailureSink::TReceiver TFailureSink::SetReceiver(TReceiver receiver) {
    std::lock_guard lock(ReceiverMutex());
    std::swap(Receiver(), receiver);
    return receiver;
}

std::string TFailureSink::Format(std::string_view text, const TSourcePlace& where) {
    return "zorv: " + std::string(text) + " (" + std::string(BaseName(where.file_name())) + ":" +
           std::to_string(where.line()) + ")";
}

}  // namespace zorv
