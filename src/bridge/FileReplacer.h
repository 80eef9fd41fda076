#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "shared/Result.h"

namespace zorv {

// Writes a whole file so that an existing file is replaced only once the new content is complete:
// the bytes go to a temporary file beside the target, which then takes the target's place keeping
// what the old file had (owner, mode, attributes, security). A failed write leaves the old file
// (or no file) as it was. Where a replacement would lose something or cannot be made (a FIFO or
// device, a file with several names, one held open without delete sharing, a folder where no
// file can be created), the target is written in place; a failure part way then leaves it partly
// written.
class TFileReplacer {
public:
    TFileReplacer() = delete;
    // Fails with a message such as
    // Cannot create file "/x/y.txt". No such file or directory
    static TStatus Write(const std::string& utf8Path, std::string_view bytes);

    // Appends bytes to the new file; false once a write has failed (the failure is then the
    // result of WriteFrom).
    using TAppend = std::function<bool(std::string_view bytes)>;
    // Hands out the content piece by piece, so that no copy of the whole file is needed; gives an
    // failure to abandon the file, which then leaves the old one (or none) in place.
    using TProducer = std::function<TStatus(const TAppend& append)>;
    static TStatus WriteFrom(const std::string& utf8Path, const TProducer& produce);
};

}  // namespace zorv
