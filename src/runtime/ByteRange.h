#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorv {

// What a request's Range header asks of a body of a known size, decided the same way by every
// page host: one range of "bytes=a-b", "bytes=a-" or "bytes=-n" is answered in part (206); a range
// that starts beyond the body, or asks for its last 0 bytes, is unsatisfiable (416); anything else
// (no header, another unit, several ranges, a malformed one) is answered whole (200).
struct TByteRange {
    enum class TKind { Whole, Part, Unsatisfiable };

    TKind kind = TKind::Whole;
    uint64_t first = 0;   // the first byte served
    uint64_t length = 0;  // how many bytes are served; the whole size for Whole, 0 for Unsatisfiable
    uint64_t size = 0;    // the size of the whole body

    // `maxOpenPart`, when given, bounds what an open-ended range ("bytes=N-") is answered with: the
    // part then ends after that many bytes, and its Content-Range says so.
    static TByteRange Decide(std::optional<std::string_view> rangeHeader, uint64_t size,
                             std::optional<uint64_t> maxOpenPart = std::nullopt);

    bool CoversAll() const { return first == 0 && length == size; }
    // The Content-Range value of a 206 ("bytes 0-9/100") or a 416 ("bytes */100"); empty for Whole.
    std::string ContentRange() const;
};

}  // namespace zorv
