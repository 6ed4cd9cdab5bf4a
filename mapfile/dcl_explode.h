// PKWARE Data Compression Library "explode": the compression of map archives' sectors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qrvl {

enum class DclStatus {
    Done,            // the end marker was read, or `limit` bytes are out
    BadHeader,       // fewer than two bytes, a literal mode other than 0 or 1, or a dictionary
                     // size other than 4, 5 or 6 bits
    Truncated,       // the input ended before the end marker
    BadDistance,     // a copy reaching before the first byte of output
};

// Replaces `out` with the decoded stream. Decoding stops at the end marker, or as soon as `out`
// holds `limit` bytes. On an error `out` holds what was decoded before it. Never reads outside
// `in`, and never makes `out` longer than `limit`.
DclStatus dclExplode(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out,
                     std::size_t limit);

}  // namespace qrvl
