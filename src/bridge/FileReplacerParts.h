#pragma once
#include <string>
#include <string_view>

#include "bridge/FileReplacer.h"

// What the portable part of TFileReplacer and its platform parts share.
namespace zorv::file_replacer {

// A short name in the target's folder, so that a target whose own name is as long as the file
// system allows still gets a temporary file.
std::string TemporaryNameBeside(const std::string& target);

TFailure CannotCreate(const std::string& path, const std::string& reason);

// Runs the producer into `append`'s file; fails with the message of the first failure.
template <class TWriteAll, class TLastError, class TMessage>
TStatus Produce(const TFileReplacer::TProducer& produce, const std::string& utf8Path, TWriteAll writeAll,
                TLastError lastError, TMessage message) {
    decltype(lastError()) writeError = 0;
    const TFileReplacer::TAppend append = [&](std::string_view bytes) {
        if (writeError == 0 && !writeAll(bytes)) writeError = lastError();
        return writeError == 0;
    };
    TStatus produced = produce(append);
    if (writeError != 0) return CannotCreate(utf8Path, message(writeError));
    return produced;
}

// Writes the content for `utf8Path` into `target` (the file a link there names) the platform's
// way: a temporary file that takes the target's place, or the target itself where that is not
// possible.
TStatus WriteTarget(const std::string& utf8Path, const std::string& target, const TFileReplacer::TProducer& produce);

}  // namespace zorv::file_replacer
