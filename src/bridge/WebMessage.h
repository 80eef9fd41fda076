#pragma once
#include <optional>
#include <string>

namespace zorv {

// One web message from a page, as the host hands it to the bridge.
struct TWebMessage {
    // The message when the page posted a string; nothing for any other value.
    std::optional<std::string> asString;
    // The message as JSON text (a posted string arrives here as a JSON string literal).
    std::string asJson;
    // The URL of the document that posted the message.
    std::string sourceUrl;
};

}  // namespace zorv
