#pragma once
#include <gio/gio.h>

#include <memory>

#include "archive/AbZipKit.h"

namespace zorv {

// A GInputStream over part of an archive entry, decrypted as the engine reads it rather than
// copied whole first. A read that finds the entry damaged (its CRC checked at the end of a whole
// entry) fails with G_IO_ERROR_INVALID_DATA, so the answer ends in an error, never silently.
// Returns a new reference.
GInputStream* NewEntryInputStream(std::unique_ptr<TAbEntryReader> reader);

}  // namespace zorv
