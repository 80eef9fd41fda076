#include <windows.h>

#include "shared/LocalizedMessages.h"

namespace zorv {

std::string TLocalizedMessages::GetUserLanguageCode() {
    wchar_t buffer[16] = {};
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SISO639LANGNAME, buffer, 16);
    std::string code;
    for (int i = 0; i + 1 < length && buffer[i] != 0; ++i) {
        if (buffer[i] < 0x80) code += static_cast<char>(buffer[i]);
    }
    return code;
}

}  // namespace zorv
