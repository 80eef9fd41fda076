#pragma once
#include <string>
#include <string_view>

namespace zorv {

// The script that defines window.zorv in every page (src/bridge/zorv.js, embedded at build time,
// with the bridge's function table put in): UTF-8 text with its byte-order mark removed, CR LF
// line ends.
std::string_view ZorvExternalJavascript();

// The bridge's function table as the page script takes it: a JSON array of
// [identifier, path under window.zorv, whether the caller's argument object is posted].
std::string PageFunctionTable();

// A copy of zorv.js (such as the one an executable carries) with the function table in place of
// its placeholder; a script without the placeholder is returned as it is.
std::string WithPageFunctionTable(std::string_view script);

}  // namespace zorv
