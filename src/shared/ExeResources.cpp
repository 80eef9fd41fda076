#include "shared/ExeResources.h"

#include <cstdint>

#include "shared/ExeResourcesParts.h"
#include "shared/VersionResource.h"

namespace zorv {

using exe_resources::IconEntrySize;
using exe_resources::IconHeaderSize;
using exe_resources::ReadLittleEndian;

namespace {

[[noreturn]] void InvalidIcon() { throw EExeResourceError("Icon file is invalid"); }

}  // namespace

std::vector<TIconImage> TExeResources::ParseIconFile(std::string_view bytes) {
    if (bytes.size() < IconHeaderSize || bytes.substr(0, 2) == "MZ") InvalidIcon();
    const uint32_t reserved = ReadLittleEndian(bytes, 0, 2);
    const uint32_t type = ReadLittleEndian(bytes, 2, 2);
    const uint32_t count = ReadLittleEndian(bytes, 4, 2);
    // Type 1 is an icon (2 would be a cursor); an icon without images would leave the program
    // with an empty icon group.
    if (reserved != 0 || type != 1 || count == 0) InvalidIcon();
    if (bytes.size() < IconHeaderSize + IconEntrySize * count) InvalidIcon();

    std::vector<TIconImage> images;
    for (uint32_t index = 0; index < count; ++index) {
        const size_t entry = IconHeaderSize + IconEntrySize * index;
        const uint64_t size = ReadLittleEndian(bytes, entry + 8, 4);
        const uint64_t offset = ReadLittleEndian(bytes, entry + 12, 4);
        if (size == 0 || offset + size > bytes.size()) InvalidIcon();
        images.push_back({std::string(bytes.substr(entry, 12)), std::string(bytes.substr(offset, size))});
    }
    return images;
}

bool TExeResources::UpdateExeInfo(const std::string& exePath, const std::string& companyName,
                                  const std::string& fileDescription, const std::string& fileVersion,
                                  const std::string& internalName, const std::string& legalCopyright,
                                  const std::string& legalTrademarks, const std::string& originalFileName,
                                  const std::string& programID, const std::string& productName,
                                  const std::string& productVersion, const std::string& comments) {
    const std::vector<std::string> values = {companyName,    fileDescription, fileVersion,      internalName,
                                             legalCopyright, legalTrademarks, originalFileName, programID,
                                             productName,    productVersion,  comments};
    std::map<std::string, std::string> byKey;
    for (size_t i = 0; i < values.size(); ++i) byKey[TVersionResource::StringKeys()[i]] = values[i];
    return UpdateExeVersionStrings(exePath, byKey);
}

}  // namespace zorv
