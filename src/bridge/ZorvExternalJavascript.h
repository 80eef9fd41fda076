#pragma once
#include <string_view>

namespace zorv {

// The script that defines window.zorv in every page (src/bridge/zorv.js, embedded at build time):
// UTF-8 text with its byte-order mark removed, CR LF line ends.
std::string_view ZorvExternalJavascript();

}  // namespace zorv
