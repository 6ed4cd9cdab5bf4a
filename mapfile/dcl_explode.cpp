// PKWARE DCL "explode": a bit buffer over the sector and three prefix-code lookup tables.
#include "mapfile/dcl_explode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qrvl {
namespace {

// Code lengths of the copy-length symbols 0 to 15.
constexpr std::array<std::uint8_t, 16> kLengthBits = {3, 2, 3, 3, 4, 4, 4, 5,
                                                      5, 5, 5, 6, 6, 6, 7, 7};
constexpr std::array<std::uint16_t, 16> kLengthBase = {2,  3,  4,  5,  6,  7,  8,   9,
                                                       10, 12, 16, 24, 40, 72, 136, 264};
constexpr std::array<std::uint8_t, 16> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0,
                                                       1, 2, 3, 4, 5, 6, 7, 8};
// Base 264 plus eight extra bits all set: one past the longest copy, so it ends the stream.
constexpr unsigned kEndOfStream = 519;

// Code lengths of the distance symbols 0 to 63 (their high bits).
constexpr std::array<std::uint8_t, 64> kDistanceBits = [] {
    std::array<std::uint8_t, 64> bits{};
    for (std::size_t s = 0; s < bits.size(); ++s) {
        bits[s] = s == 0 ? 2 : s <= 2 ? 4 : s <= 6 ? 5 : s <= 21 ? 6 : s <= 47 ? 7 : 8;
    }
    return bits;
}();

// Code lengths of the byte values in ASCII mode, 0x00 to 0xFF.
constexpr std::array<std::uint8_t, 256> kLiteralBits = {
    11, 12, 12, 12, 12, 12, 12, 12, 12, 8,  7,  12, 12, 7,  12, 12,  // 0x00
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 13, 12, 12, 12, 12, 12,  // 0x10
    4,  10, 8,  12, 10, 12, 10, 8,  7,  7,  8,  9,  7,  6,  7,  8,   // 0x20
    7,  6,  7,  7,  7,  7,  8,  7,  7,  8,  8,  12, 11, 7,  9,  11,  // 0x30
    12, 6,  7,  6,  6,  5,  7,  8,  8,  6,  11, 9,  6,  7,  6,  6,   // 0x40
    7,  11, 6,  6,  6,  7,  9,  8,  9,  9,  11, 8,  11, 9,  12, 8,   // 0x50
    12, 5,  6,  6,  6,  5,  6,  6,  6,  5,  11, 7,  5,  6,  5,  5,   // 0x60
    6,  10, 5,  5,  5,  5,  8,  7,  8,  8,  10, 11, 11, 12, 12, 12,  // 0x70
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 0x80
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 0x90
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 0xA0
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,  // 0xB0
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,  // 0xC0
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,  // 0xD0
    13, 12, 13, 13, 13, 12, 13, 13, 13, 12, 13, 13, 13, 13, 12, 13,  // 0xE0
    13, 13, 12, 12, 12, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 0xF0
};

// A complete code never leaves a lookup slot empty, so a typo in a length table shows here.
template <std::size_t N>
constexpr bool isComplete(const std::array<std::uint8_t, N>& lengths, unsigned maxBits) {
    std::uint32_t sum = 0;
    for (const auto length : lengths) {
        sum += std::uint32_t{1} << (maxBits - length);
    }
    return sum == (std::uint32_t{1} << maxBits);
}
static_assert(isComplete(kLengthBits, 7));
static_assert(isComplete(kDistanceBits, 8));
static_assert(isComplete(kLiteralBits, 13));

// Indexed by the next `Bits` bits of the stream (the first one lowest); each slot holds the
// symbol whose code those bits start with, and the code's length.
template <unsigned Bits>
struct DecodeTable {
    std::array<std::uint8_t, std::size_t{1} << Bits> symbol{};
    std::array<std::uint8_t, std::size_t{1} << Bits> length{};
};

// Canonical codes from the lengths. The stream sends each code most significant bit first with
// every bit inverted, so the slot index is the complemented code reversed.
template <unsigned Bits, std::size_t N>
constexpr DecodeTable<Bits> buildTable(const std::array<std::uint8_t, N>& lengths) {
    DecodeTable<Bits> table{};
    std::uint32_t code = 0;
    for (unsigned length = 1; length <= Bits; ++length) {
        for (std::size_t s = 0; s < N; ++s) {
            if (lengths[s] != length) {
                continue;
            }
            const std::uint32_t sent = ~code & ((std::uint32_t{1} << length) - 1);
            std::uint32_t reversed = 0;
            for (unsigned i = 0; i < length; ++i) {
                reversed |= ((sent >> i) & 1U) << (length - 1 - i);
            }
            for (std::uint32_t slot = reversed; slot < (std::uint32_t{1} << Bits);
                 slot += std::uint32_t{1} << length) {
                table.symbol[slot] = static_cast<std::uint8_t>(s);
                table.length[slot] = static_cast<std::uint8_t>(length);
            }
            ++code;
        }
        code <<= 1;
    }
    return table;
}

constexpr auto kLengthTable = buildTable<7>(kLengthBits);
constexpr auto kDistanceTable = buildTable<8>(kDistanceBits);
constexpr auto kLiteralTable = buildTable<13>(kLiteralBits);

// The most one step reads: the flag, the longest length code and its extra bits, the longest
// distance code and six low bits. Refilling below it means only a stream's end can run short.
constexpr unsigned kLongestStep = 1 + 7 + 8 + 8 + 6;
// A sector is at most a few KiB; a larger limit is only believed as output arrives.
constexpr std::size_t kFirstAllocation = std::size_t{1} << 16;

struct Explode {
    std::span<const std::uint8_t> in;
    std::size_t position = 2;
    // Unread bits, the next one lowest. Above `count` sit either zeros or the stream's next bits
    // (a word load reads ahead), so a lookup past the end sees zeros.
    std::uint64_t bits = 0;
    unsigned count = 0;

    // Called with fewer than 57 bits buffered.
    void refill() {
        if constexpr (std::endian::native == std::endian::little) {
            if (in.size() - position >= sizeof(std::uint64_t)) {
                std::uint64_t word = 0;
                std::memcpy(&word, in.data() + position, sizeof word);
                bits |= word << count;
                const unsigned taken = (63 - count) / 8;
                position += taken;
                count += 8 * taken;
                return;
            }
        }
        while (count <= 56 && position < in.size()) {
            bits |= std::uint64_t{in[position++]} << count;
            count += 8;
        }
    }
    // Callers check `count` against the width they consume before trusting the result.
    std::uint32_t peek(unsigned width) const {
        return static_cast<std::uint32_t>(bits & ((std::uint64_t{1} << width) - 1));
    }
    void drop(unsigned width) {
        bits >>= width;
        count -= width;
    }
};

}  // namespace

DclStatus dclExplode(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out,
                     std::size_t limit) {
    out.clear();
    if (in.size() < 2 || in[0] > 1 || in[1] < 4 || in[1] > 6) {
        return DclStatus::BadHeader;
    }
    const bool ascii = in[0] == 1;
    const unsigned dictionaryBits = in[1];

    // Written through a raw pointer and cut to size on every way out.
    std::size_t size = 0;
    out.resize(std::min(limit, kFirstAllocation));
    const auto finish = [&](DclStatus status) {
        out.resize(size);
        return status;
    };
    const auto room = [&](std::size_t needed) {
        if (out.size() - size < needed) {
            out.resize(std::min(limit, std::max(size + needed, out.size() * 2)));
        }
        return out.data() + size;
    };

    Explode s{in};
    while (size < limit) {
        if (s.count < kLongestStep) {
            s.refill();
        }
        if (s.count < 1) {
            return finish(DclStatus::Truncated);
        }
        const bool copy = (s.bits & 1U) != 0;
        s.drop(1);
        if (!copy) {
            std::uint8_t byte = 0;
            if (ascii) {
                const auto slot = s.peek(13);
                const unsigned width = kLiteralTable.length[slot];
                if (width > s.count) {
                    return finish(DclStatus::Truncated);
                }
                byte = kLiteralTable.symbol[slot];
                s.drop(width);
            } else {
                if (s.count < 8) {
                    return finish(DclStatus::Truncated);
                }
                byte = static_cast<std::uint8_t>(s.peek(8));
                s.drop(8);
            }
            *room(1) = byte;
            ++size;
            continue;
        }

        const auto lengthSlot = s.peek(7);
        const unsigned lengthWidth = kLengthTable.length[lengthSlot];
        const unsigned lengthSymbol = kLengthTable.symbol[lengthSlot];
        const unsigned extraWidth = kLengthExtra[lengthSymbol];
        if (lengthWidth + extraWidth > s.count) {
            return finish(DclStatus::Truncated);
        }
        s.drop(lengthWidth);
        const unsigned length = kLengthBase[lengthSymbol] + s.peek(extraWidth);
        s.drop(extraWidth);
        if (length == kEndOfStream) {
            return finish(DclStatus::Done);
        }

        const auto distanceSlot = s.peek(8);
        const unsigned distanceWidth = kDistanceTable.length[distanceSlot];
        const unsigned lowWidth = length == 2 ? 2 : dictionaryBits;
        if (distanceWidth + lowWidth > s.count) {
            return finish(DclStatus::Truncated);
        }
        std::size_t distance = std::size_t{kDistanceTable.symbol[distanceSlot]} << lowWidth;
        s.drop(distanceWidth);
        distance += s.peek(lowWidth) + 1;
        s.drop(lowWidth);
        if (distance > size) {
            return finish(DclStatus::BadDistance);
        }

        const std::size_t n = std::min<std::size_t>(length, limit - size);
        std::uint8_t* to = room(n);
        const std::uint8_t* from = to - distance;
        if (distance >= n) {
            std::memcpy(to, from, n);
        } else {
            // Byte by byte: the copy reads its own output, so short distances repeat.
            for (std::size_t i = 0; i < n; ++i) {
                to[i] = from[i];
            }
        }
        size += n;
    }
    return finish(DclStatus::Done);
}

}  // namespace qrvl
