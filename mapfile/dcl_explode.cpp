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
// The most one step writes: the longest copy, and a chunk past it (copies move whole chunks).
constexpr std::size_t kLongestCopy = 518;
constexpr std::size_t kStepRoom = kLongestCopy + 16;

// Copies `n` bytes from `distance` back, writing up to 15 bytes past them (the caller has the
// room, and later output overwrites them). Most copies are short, so whole chunks beat a call
// to memcpy; each chunk reads only bytes written before it.
inline void copyBack(std::uint8_t* to, std::size_t distance, std::size_t n) {
    const std::uint8_t* from = to - distance;
    if (distance >= 16) {
        for (std::size_t i = 0; i < n; i += 16) {
            std::memcpy(to + i, from + i, 16);
        }
    } else if (distance >= 8) {
        for (std::size_t i = 0; i < n; i += 8) {
            std::memcpy(to + i, from + i, 8);
        }
    } else if (distance == 1) {
        // A run of one byte, the commonest short distance.
        const std::uint64_t run = from[0] * std::uint64_t{0x0101010101010101};
        for (std::size_t i = 0; i < n; i += 8) {
            std::memcpy(to + i, &run, 8);
        }
    } else {
        // The output repeats every `distance` bytes from `from` on, so it also repeats every
        // multiple of it of at least 8, which whole chunks can copy once 8 bytes are out.
        static constexpr std::array<std::uint8_t, 8> kPeriod = {0, 0, 8, 9, 8, 10, 12, 14};
        const std::size_t head = std::min<std::size_t>(n, 8);
        for (std::size_t i = 0; i < head; ++i) {
            to[i] = from[i];
        }
        const std::size_t period = kPeriod[distance];
        for (std::size_t i = head; i < n; i += 8) {
            std::memcpy(to + i, to + i - period, 8);
        }
    }
}

}  // namespace

bool DclDecoder::fetch(ByteFeed& input) {
    if (inputDone_) {
        return false;
    }
    inputAt_ = 0;
    inputEnd_ = input.read(input_);
    inputDone_ = inputEnd_ == 0;
    return !inputDone_;
}

bool DclDecoder::readHeader(ByteFeed& input) {
    std::array<std::uint8_t, 2> header{};
    for (auto& byte : header) {
        if (inputAt_ == inputEnd_ && !fetch(input)) {
            return false;
        }
        byte = input_[inputAt_++];
    }
    if (header[0] > 1 || header[1] < 4 || header[1] > 6) {
        return false;
    }
    ascii_ = header[0] == 1;
    dictionaryBits_ = header[1];
    return true;
}

DclStatus DclDecoder::decode(ByteFeed& input, std::vector<std::uint8_t>& out, std::size_t limit) {
    if (stopped_) {
        return status_;
    }
    if (!started_) {
        started_ = true;
        if (!readHeader(input)) {
            return stop(DclStatus::BadHeader);
        }
    }

    // The whole state in locals, so that it stays in registers: the output is written through
    // byte pointers, which may alias anything in memory, the decoder's members included.
    // Unread bits, the next one lowest. Above `count` sit either zeros or the stream's next bits
    // (a word load reads ahead), so a lookup past the end sees zeros.
    std::uint64_t bits = bits_;
    unsigned count = count_;
    std::size_t at = inputAt_;
    std::size_t end = inputEnd_;
    const bool ascii = ascii_;
    const unsigned dictionaryBits = dictionaryBits_;
    std::size_t copyLeft = copyLeft_;
    std::size_t copyDistance = copyDistance_;
    // Written through a raw pointer into `out`, whose size serves as the room (one step's room
    // past `limit` at most), and cut to size on every way out.
    std::size_t size = out.size();
    std::uint8_t* base = out.data();
    std::size_t capacity = out.size();
    const std::size_t most = limit > SIZE_MAX - kStepRoom ? SIZE_MAX : limit + kStepRoom;

    const auto makeRoom = [&] {
        if (capacity - size < kStepRoom) {
            out.resize(
                std::min(most, std::max({size + kStepRoom, capacity * 2, kFirstAllocation})));
            base = out.data();
            capacity = out.size();
        }
    };
    // Called with fewer than kLongestStep bits; stops short of 57 only at the stream's end.
    const auto refill = [&] {
        while (count <= 56) {
            const std::size_t left = end - at;
            if constexpr (std::endian::native == std::endian::little) {
                if (left >= sizeof(std::uint64_t)) {
                    std::uint64_t word = 0;
                    std::memcpy(&word, input_.data() + at, sizeof word);
                    bits |= word << count;
                    const unsigned taken = (63 - count) / 8;
                    at += taken;
                    count += 8 * taken;
                    return;
                }
            }
            if (left == 0) {
                // The buffer is used up, so no bit read ahead comes from the bytes it replaces.
                if (!fetch(input)) {
                    return;
                }
                at = inputAt_;
                end = inputEnd_;
                continue;
            }
            bits |= std::uint64_t{input_[at++]} << count;
            count += 8;
        }
    };
    const auto peek = [&](unsigned width) {
        return static_cast<std::uint32_t>(bits & ((std::uint64_t{1} << width) - 1));
    };
    const auto drop = [&](unsigned width) {
        bits >>= width;
        count -= width;
    };
    const auto keep = [&] {
        out.resize(size);
        bits_ = bits;
        count_ = count;
        inputAt_ = at;
        inputEnd_ = end;
        copyLeft_ = copyLeft;
        copyDistance_ = copyDistance;
    };
    // The end marker or an error: nothing more comes from this stream.
    const auto finish = [&](DclStatus status) {
        keep();
        return stop(status);
    };

    if (copyLeft > 0 && size < limit) {
        makeRoom();
        const std::size_t n = std::min(copyLeft, limit - size);
        copyBack(base + size, copyDistance, n);
        size += n;
        copyLeft -= n;
    }
    while (size < limit) {
        makeRoom();
        if (count < kLongestStep) {
            refill();
        }
        // Away from the stream's end every step has its bits; only the last ones check.
        const bool nearEnd = count < kLongestStep;
        if (nearEnd && count < 1) {
            return finish(DclStatus::Truncated);
        }
        const bool isCopy = (bits & 1U) != 0;
        drop(1);
        if (!isCopy) {
            std::uint8_t byte = 0;
            if (ascii) {
                const auto slot = peek(13);
                const unsigned width = kLiteralTable.length[slot];
                if (nearEnd && width > count) {
                    return finish(DclStatus::Truncated);
                }
                byte = kLiteralTable.symbol[slot];
                drop(width);
            } else {
                if (nearEnd && count < 8) {
                    return finish(DclStatus::Truncated);
                }
                byte = static_cast<std::uint8_t>(peek(8));
                drop(8);
            }
            base[size++] = byte;
            continue;
        }

        const auto lengthSlot = peek(7);
        const unsigned lengthWidth = kLengthTable.length[lengthSlot];
        const unsigned lengthSymbol = kLengthTable.symbol[lengthSlot];
        const unsigned extraWidth = kLengthExtra[lengthSymbol];
        if (nearEnd && lengthWidth + extraWidth > count) {
            return finish(DclStatus::Truncated);
        }
        drop(lengthWidth);
        const unsigned length = kLengthBase[lengthSymbol] + peek(extraWidth);
        drop(extraWidth);
        if (length == kEndOfStream) {
            return finish(DclStatus::Done);
        }

        const auto distanceSlot = peek(8);
        const unsigned distanceWidth = kDistanceTable.length[distanceSlot];
        const unsigned lowWidth = length == 2 ? 2 : dictionaryBits;
        if (nearEnd && distanceWidth + lowWidth > count) {
            return finish(DclStatus::Truncated);
        }
        std::size_t distance = std::size_t{kDistanceTable.symbol[distanceSlot]} << lowWidth;
        drop(distanceWidth);
        distance += peek(lowWidth) + 1;
        drop(lowWidth);
        if (distance > size) {
            return finish(DclStatus::BadDistance);
        }

        const std::size_t n = std::min<std::size_t>(length, limit - size);
        copyBack(base + size, distance, n);
        size += n;
        copyLeft = length - n;
        copyDistance = distance;
    }
    // At the limit: a later call goes on from here.
    keep();
    return DclStatus::Done;
}

DclStatus dclExplode(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out,
                     std::size_t limit) {
    out.clear();
    SpanFeed input(in);
    DclDecoder decoder;
    return decoder.decode(input, out, limit);
}

}  // namespace qrvl
