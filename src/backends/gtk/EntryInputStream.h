#pragma once
#include <gio/gio.h>

#include <memory>

#include "archive/AbZipKit.h"
#include "runtime/FileReader.h"

namespace zorv {

// A GInputStream over part of an archive entry, decrypted as the engine reads it rather than
// copied whole first. A read that finds the entry damaged (its CRC checked at the end of a whole
// entry) fails with G_IO_ERROR_INVALID_DATA, so the answer ends in an error, never silently.
// Returns a new reference.
GInputStream* NewEntryInputStream(std::unique_ptr<TAbEntryReader> reader);

// How many reads of files on disk run at once, over every file stream of the process.
inline constexpr guint MaxDiskReadsAtOnce = 4;

// A GInputStream over part of a file on disk, read block by block as the engine asks rather than
// copied whole first. An asynchronous read is served from the block in memory where it can be;
// otherwise the disk is read on a pool of MaxDiskReadsAtOnce threads shared by every file stream,
// never on the thread that asks, so that large files keep the UI answering however many are read
// at once. A file cut short while it is read fails the read with G_IO_ERROR_INVALID_DATA.
// Returns a new reference.
GInputStream* NewFileInputStream(std::unique_ptr<TFileReader> reader);

}  // namespace zorv
