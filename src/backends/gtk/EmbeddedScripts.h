#pragma once
#include <string>
#include <string_view>

namespace zorv {

// The scripts the GTK backend puts into pages, compiled in from the .js files beside this one.
// Each view stays valid for the life of the program and ends in a NUL, so it can be handed to C.

// Page world: the WebView2-style chrome.webview object the bridge script talks to (PageShim.js).
std::string_view PageShimScript();
// Isolated world: relays the page's messages and the user's gestures to the host (RelayScript.js).
std::string_view RelayScript();
// Points application audio and video at the media player at `base` (MediaScript.js), in documents
// under `appPrefix`.
std::string MediaPlayerScript(std::string_view base, std::string_view appPrefix);

}  // namespace zorv
