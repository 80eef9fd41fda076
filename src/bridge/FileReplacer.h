#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zorv {

// Writes a whole file so that an existing file is replaced only once the new content is complete:
// the bytes go to a temporary file beside the target, which then takes the target's place. A
// failed write leaves the old file (or no file) as it was.
class TFileReplacer {
public:
    TFileReplacer() = delete;
    // Nothing on success; otherwise a message such as
    // Cannot create file "/x/y.txt". No such file or directory
    static std::optional<std::string> Write(const std::string& utf8Path, std::string_view bytes);
};

}  // namespace zorv
