#include "shared/TextEncoding.h"

namespace zorv {

std::string TTextEncoding::AnsiToUtf8(std::string_view bytes) { return Windows1252ToUtf8(bytes); }

}  // namespace zorv
