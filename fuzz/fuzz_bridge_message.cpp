// Web messages as any document could post them: up to four messages per input, separated by NUL
// bytes, run one after the other against one bridge module (so a menu set by one can be updated
// by the next). Messages that would reach outside the sandbox folder are skipped.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "FuzzBridgeHost.h"
#include "FuzzSandbox.h"

namespace {

constexpr std::size_t MaxMessages = 4;

std::vector<std::string_view> SplitMessages(std::string_view input) {
    std::vector<std::string_view> messages;
    while (messages.size() < MaxMessages) {
        const std::size_t end = input.find('\0');
        messages.push_back(input.substr(0, end));
        if (end == std::string_view::npos) break;
        input.remove_prefix(end + 1);
    }
    return messages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> messages =
        SplitMessages(std::string_view(reinterpret_cast<const char*>(data), size));
    for (std::string_view message : messages) {
        if (!zorv::test::IsContainedMessage(message)) return -1;
    }
    zorv::test::TFuzzSandbox::Instance().TidyEvery(1000);
    zorv::test::TFuzzBridgeHost host;
    for (std::string_view message : messages) host.Post(message);
    return 0;
}
