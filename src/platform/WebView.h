#pragma once
#include <string>

namespace zorv {

// The way back to the document that posted one web message. A reply reaches that document only
// while it is still there; once it has gone (navigation, reload, crash) the reply is dropped and
// never reaches whatever document is loaded now. May be released on any thread.
class IWebMessageReply {
public:
    virtual ~IWebMessageReply() = default;
    // Posts JSON text to the posting document as a message event; at most once.
    virtual void PostJson(const std::string& json) = 0;
};

// The two ways native code talks to the page. Neither waits for the page.
class IWebView {
public:
    virtual ~IWebView() = default;
    // Posts JSON text; the page receives it as a message event whose `data` is the parsed value.
    // Text that is not valid JSON is refused by the platform and never reaches the page.
    virtual void PostWebMessageAsJson(const std::string& json) = 0;
    virtual void ExecuteScript(const std::string& script) = 0;
    // Gives the keyboard focus to the web view (first to its host window, then to the view).
    virtual void FocusWebView() {}
};

}  // namespace zorv
