#include "runtime/ByteRange.h"

#include <limits>

namespace zorv {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool StartsWithBytesUnit(std::string_view text) {
    constexpr std::string_view Unit = "bytes";
    if (text.size() < Unit.size()) return false;
    for (std::size_t i = 0; i < Unit.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) != Unit[i]) return false;
    }
    return true;
}

// A run of decimal digits; a value too large for 64 bits saturates, which is beyond every body.
std::optional<uint64_t> ParseDigits(std::string_view text) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    constexpr uint64_t Max = std::numeric_limits<uint64_t>::max();
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        value = value > (Max - digit) / 10 ? Max : value * 10 + digit;
    }
    return value;
}

TByteRange Whole(uint64_t size) { return {TByteRange::TKind::Whole, 0, size, size}; }
TByteRange Unsatisfiable(uint64_t size) { return {TByteRange::TKind::Unsatisfiable, 0, 0, size}; }
TByteRange Part(uint64_t first, uint64_t last, uint64_t size) {
    return {TByteRange::TKind::Part, first, last - first + 1, size};
}

}  // namespace

TByteRange TByteRange::Decide(std::optional<std::string_view> rangeHeader, uint64_t size,
                              std::optional<uint64_t> maxOpenPart) {
    if (!rangeHeader) return Whole(size);
    std::string_view text = TrimBlanks(*rangeHeader);
    if (!StartsWithBytesUnit(text)) return Whole(size);
    text = TrimBlanks(text.substr(5));
    if (text.empty() || text.front() != '=') return Whole(size);
    text = TrimBlanks(text.substr(1));
    // Several ranges would need a multipart answer; answering whole is what a server may do.
    if (text.find(',') != std::string_view::npos) return Whole(size);
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) return Whole(size);
    const std::string_view firstText = TrimBlanks(text.substr(0, dash));
    const std::string_view lastText = TrimBlanks(text.substr(dash + 1));
    // An empty body has no byte to start at; it is served as it is.
    if (size == 0) return Whole(size);

    if (firstText.empty()) {  // "-n": the last n bytes
        const std::optional<uint64_t> suffix = ParseDigits(lastText);
        if (!suffix) return Whole(size);
        if (*suffix == 0) return Unsatisfiable(size);
        return Part(*suffix >= size ? 0 : size - *suffix, size - 1, size);
    }
    const std::optional<uint64_t> first = ParseDigits(firstText);
    if (!first) return Whole(size);
    uint64_t last = size - 1;
    if (!lastText.empty()) {  // "a-b"; a missing b is "to the end"
        const std::optional<uint64_t> parsedLast = ParseDigits(lastText);
        if (!parsedLast || *parsedLast < *first) return Whole(size);
        if (*parsedLast < last) last = *parsedLast;
    } else if (maxOpenPart && *maxOpenPart > 0 && *first < size && size - *first > *maxOpenPart) {
        last = *first + *maxOpenPart - 1;
    }
    if (*first >= size) return Unsatisfiable(size);
    return Part(*first, last, size);
}

std::string TByteRange::ContentRange() const {
    switch (kind) {
        case TKind::Part:
            return "bytes " + std::to_string(first) + "-" + std::to_string(first + length - 1) + "/" +
                   std::to_string(size);
        case TKind::Unsatisfiable: return "bytes */" + std::to_string(size);
        case TKind::Whole: break;
    }
    return {};
}

}  // namespace zorv
