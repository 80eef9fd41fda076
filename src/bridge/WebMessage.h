#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/WebView.h"

namespace zorv {

// One web message from a page, as the host hands it to the bridge.
struct TWebMessage {
    // The message when the page posted a string; nothing for any other value.
    std::optional<std::string> asString;
    // The message as JSON text (a posted string arrives here as a JSON string literal).
    std::string asJson;
    // The URL of the document that posted the message.
    std::string sourceUrl;
    // The origin of the posting document where the platform reports it ("null" for a sandboxed
    // frame).
    std::optional<std::string> sourceOrigin;
    // The way back to the posting document; without it, replies go to the web view's top document.
    std::shared_ptr<IWebMessageReply> reply;
};

}  // namespace zorv
