#include <cstdlib>
#include <string_view>

#include "shared/LocalizedMessages.h"

namespace zorv {

namespace {

// "de_DE.UTF-8", "de@euro" or "de" give "de"; "C" and "POSIX" name no language.
std::string LanguageFromLocaleName(std::string_view locale) {
    const std::size_t end = locale.find_first_of("_.@");
    std::string language(locale.substr(0, end));
    if (language == "C" || language == "POSIX") return {};
    return language;
}

}  // namespace

std::string TLocalizedMessages::GetUserLanguageCode() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return LanguageFromLocaleName(value);
    }
    return {};
}

}  // namespace zorv
