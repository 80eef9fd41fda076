#pragma once
#include <objidl.h>

#include <memory>

#include "archive/AbZipKit.h"
#include "backends/win32/WinHandles.h"

namespace zorv {

// A read-only COM stream over part of an archive entry, decrypted as the web view reads it (on
// whatever thread it reads from). Stat gives the length; Seek moves within the part. A read that
// meets damage (a CRC mismatch before the last bytes, an archive that can no longer be read)
// fails with STG_E_READFAULT, so a damaged file never reaches its end as if it were whole.
TComPtr<IStream> NewEntryStream(std::unique_ptr<TAbEntryReader> reader);

}  // namespace zorv
