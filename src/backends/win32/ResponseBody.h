#pragma once
#include <objidl.h>

#include <cstdint>

#include "runtime/ResourceResolver.h"
#include "shared/Win32Handles.h"

namespace zorv {

// How the page host hands a resource's body to WebView2.
struct TResponseBody {
    // The most an open-ended range ("bytes=0-", "bytes=N-") is answered with at once. A media
    // element asks with such a range and WebView2 buffers whatever the answer holds, so a whole
    // 1 GB entry would be buffered; answered in parts, the element asks for the next part itself.
    static constexpr uint64_t MaxOpenRangePart = 4 * 1024 * 1024;

    // The body as a stream WebView2 may read on any thread: the entry or the file read as it asks,
    // or the bytes read into memory. Takes the resource's reader.
    static TComPtr<IStream> Stream(TResource& resource);
};

}  // namespace zorv
