#pragma once
#include <memory>
#include <string>

#include "archive/AbZipKit.h"

namespace zorv::test {

// A small packaged archive as the packaging tool writes it (encrypted, Stored, the fixed
// password): folder "app" with a page, a style sheet, an icon and a sub-folder, and zorv.ini.
std::string SampleArchiveBytes();
// The sample archive, opened once for the process.
const TAbZipKit& SampleArchive();

}  // namespace zorv::test
