#include "runtime/AppUrl.h"

namespace zorv {

// WebView2 serves the app under file: unless the settings choose https.
std::string_view TAppUrl::Prefix() { return FileUrlPrefix; }

}  // namespace zorv
