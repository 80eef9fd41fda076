#include "runtime/AppUrl.h"

namespace zorv {

// WebKitGTK serves the app under its own scheme.
std::string_view TAppUrl::Prefix() { return CustomPrefix; }

}  // namespace zorv
