#pragma once
#include <gio/gio.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "archive/AbZipKit.h"
#include "runtime/FileReader.h"

namespace zorv {

// How many blocks are read at once (from files on disk or the archive), over every stream of the
// process.
inline constexpr guint MaxDiskReadsAtOnce = 4;
// How many plain bytes of an archive entry a stream decrypts at once: the engine's small reads are
// served from them.
inline constexpr std::size_t EntryBlockSize = 256 * 1024;

// Asks the consumer of a stream to catch up with what it was handed: `resume` is called once it
// has taken in everything handed to it so far.
using TCatchUp = std::function<void(std::function<void()> resume)>;
// How many bytes a stream hands over before it lets its consumer catch up, and how long it
// waits at most for the consumer to say it did.
inline constexpr uint64_t CatchUpInterval = 1024 * 1024;
inline constexpr guint CatchUpWaitMs = 500;

// A GInputStream over part of a file on disk, read block by block as the engine asks rather than
// copied whole first. An asynchronous read is served from the block in memory where it can be;
// otherwise the disk is read on a pool of MaxDiskReadsAtOnce threads shared by every file stream,
// never on the thread that asks, so that large files keep the UI answering however many are read
// at once. With `catchUp`, the consumer is asked to catch up every CatchUpInterval bytes, and a
// read that finds the last request unanswered waits for it: a consumer that passes the bytes on
// without waiting for them to be used (the engine sends them to the web process) is never more
// than two intervals ahead of where they are used, so they do not pile up in memory, nor delay
// other messages to the same place. A wait ends after CatchUpWaitMs all the same, one interval
// passing per wait, for a consumer that can only answer once the body is complete (the engine's
// synchronous requests block the web process). A file cut short while it is read fails the read
// with G_IO_ERROR_INVALID_DATA. Returns a new reference.
GInputStream* NewFileInputStream(std::unique_ptr<TFileReader> reader, TCatchUp catchUp = {});

// The same over part of an archive entry, decrypted (and inflated) EntryBlockSize bytes at a time
// on the same pool as the engine reads, rather than copied whole first or a thread's trip for
// each of the engine's small reads. A read that finds the entry damaged (its CRC checked at the
// end of a whole entry) fails with G_IO_ERROR_INVALID_DATA, after the bytes before the damaged
// block, so the answer ends in an error, never silently. Returns a new reference.
GInputStream* NewEntryInputStream(std::unique_ptr<TAbEntryReader> reader, TCatchUp catchUp = {});

}  // namespace zorv
