#include "bridge/ZorvExternalJavascript.h"

#include <cstddef>

extern const unsigned char ZorvExternalJavascriptBytes[];
extern const std::size_t ZorvExternalJavascriptBytes_size;

namespace zorv {

std::string_view ZorvExternalJavascript() {
    std::string_view text(reinterpret_cast<const char*>(ZorvExternalJavascriptBytes), ZorvExternalJavascriptBytes_size);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return text;
}

}  // namespace zorv
