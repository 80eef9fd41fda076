#include "backends/win32/ResponseBody.h"

#include <utility>

#include "backends/win32/EntryStream.h"

namespace zorv {

TComPtr<IStream> TResponseBody::Stream(TResource& resource) {
    if (resource.stream) return NewEntryStream(std::move(resource.stream));
    if (resource.fileStream) return NewFileStream(std::move(resource.fileStream));
    return NewMemoryStream(std::move(resource.bytes));
}

}  // namespace zorv
