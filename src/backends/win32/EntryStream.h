#pragma once
#include <objidl.h>

#include <memory>
#include <string>

#include "archive/AbZipKit.h"
#include "runtime/FileReader.h"
#include "shared/Win32Handles.h"

namespace zorv {

// Read-only COM streams over a response body, read as the web view reads them, on whatever thread
// it reads from: each answers IAgileObject and aggregates the free-threaded marshaler, so
// WebView2's reader thread calls it directly, never through the user-interface thread (which may
// be busy, or waiting). Stat gives the length; Seek moves within the body. A read that meets
// damage (a CRC mismatch before the last bytes, an archive or a file that can no longer be read)
// fails with STG_E_READFAULT, so a damaged file never reaches its end as if it were whole. Each
// stream owns its reader, and the reader holds what it reads from (the archive, the file).

// Part of an archive entry, decrypted (and inflated) as it is read.
TComPtr<IStream> NewEntryStream(std::unique_ptr<TAbEntryReader> reader);
// Part of a file on disk, read block by block.
TComPtr<IStream> NewFileStream(std::unique_ptr<TFileReader> reader);
// Bytes held in memory.
TComPtr<IStream> NewMemoryStream(std::string bytes);

}  // namespace zorv
