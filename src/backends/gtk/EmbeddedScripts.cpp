#include "backends/gtk/EmbeddedScripts.h"

#include <cstddef>
#include <nlohmann/json.hpp>

extern const unsigned char GtkPageShimScriptBytes[];
extern const std::size_t GtkPageShimScriptBytes_size;
extern const unsigned char GtkRelayScriptBytes[];
extern const std::size_t GtkRelayScriptBytes_size;
extern const unsigned char GtkMediaScriptBytes[];
extern const std::size_t GtkMediaScriptBytes_size;

namespace zorv {
namespace {

std::string_view Embedded(const unsigned char* bytes, std::size_t size) {
    return {reinterpret_cast<const char*>(bytes), size};
}

// Puts `value`, as a JSON string, in place of the identifier `placeholder`; an identifier, so a
// script left without its value fails at once in the page.
void PutString(std::string& script, std::string_view placeholder, std::string_view value) {
    const std::size_t at = script.find(placeholder);
    if (at != std::string::npos) script.replace(at, placeholder.size(), nlohmann::json(value).dump());
}

}  // namespace

std::string_view PageShimScript() { return Embedded(GtkPageShimScriptBytes, GtkPageShimScriptBytes_size); }

std::string_view RelayScript() { return Embedded(GtkRelayScriptBytes, GtkRelayScriptBytes_size); }

std::string MediaPlayerScript(std::string_view base, std::string_view appPrefix) {
    std::string script(Embedded(GtkMediaScriptBytes, GtkMediaScriptBytes_size));
    PutString(script, "ZORV_MEDIA_BASE", base);
    PutString(script, "ZORV_APP_PREFIX", appPrefix);
    return script;
}

}  // namespace zorv
