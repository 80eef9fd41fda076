#include "backends/win32/ResponseBody.h"

#include <cctype>
#include <utility>

#include "backends/win32/EntryStream.h"

namespace zorv {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool AllDigits(std::string_view text) {
    if (text.empty() || text.size() > 18) return false;  // beyond every body: left to the resolver
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// The first byte of a "bytes=N-" header, or nothing for every other form.
std::optional<uint64_t> OpenRangeStart(std::string_view header) {
    std::string_view text = TrimBlanks(header);
    constexpr std::string_view Unit = "bytes";
    if (text.size() < Unit.size()) return std::nullopt;
    for (std::size_t i = 0; i < Unit.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != Unit[i]) return std::nullopt;
    text = TrimBlanks(text.substr(Unit.size()));
    if (text.empty() || text.front() != '=') return std::nullopt;
    text = TrimBlanks(text.substr(1));
    if (text.empty() || text.back() != '-') return std::nullopt;
    const std::string_view first = TrimBlanks(text.substr(0, text.size() - 1));
    if (!AllDigits(first)) return std::nullopt;
    return std::stoull(std::string(first));
}

}  // namespace

std::optional<std::string> TResponseBody::BoundedRange(std::optional<std::string> rangeHeader) {
    if (!rangeHeader) return rangeHeader;
    const std::optional<uint64_t> first = OpenRangeStart(*rangeHeader);
    if (!first) return rangeHeader;
    return "bytes=" + std::to_string(*first) + "-" + std::to_string(*first + MaxOpenRangePart - 1);
}

TComPtr<IStream> TResponseBody::Stream(TResource& resource) {
    if (resource.stream) return NewEntryStream(std::move(resource.stream));
    if (resource.fileStream) return NewFileStream(std::move(resource.fileStream));
    return NewMemoryStream(std::move(resource.bytes));
}

}  // namespace zorv
