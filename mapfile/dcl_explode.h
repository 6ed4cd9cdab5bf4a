// PKWARE Data Compression Library "explode": the compression of map archives' sectors.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "mapfile/byte_feed.h"

namespace qrvl {

enum class DclStatus {
    Done,         // the end marker was read, or `limit` bytes are out
    BadHeader,    // fewer than two bytes, a literal mode other than 0 or 1, or a dictionary
                  // size other than 4, 5 or 6 bits
    Truncated,    // the input ended before the end marker
    BadDistance,  // a copy reaching before the first byte of output
};

// One stream decoded as far as its reader has needed, and taken up again where it stopped when
// the reader needs more: the section headers of a sector lie ever further into it, and each
// costs only the bytes between it and the one before. The output so far is the decoder's window,
// so the caller keeps it between calls.
class DclDecoder {
  public:
    // Decodes on into `out` until it holds `limit` bytes or the stream stops, taking input from
    // `input` only as decoding reaches it. `out` and `input` must be the ones of the calls before,
    // `out` as they left it. Done once `limit` bytes are out (a later call with a larger limit
    // goes on) or the end marker is read. After an error, or the end marker, every later call
    // gives the same status and adds nothing. Never makes `out` longer than `limit`; its
    // allocation grows with what is decoded (to twice it at most, past a first 64 KiB), not with
    // `limit`.
    DclStatus decode(ByteFeed& input, std::vector<std::uint8_t>& out, std::size_t limit);

    // The end marker was read: the stream holds no more.
    bool ended() const { return stopped_ && status_ == DclStatus::Done; }

  private:
    // The input buffer's next fill, once it is used up; false at the stream's end.
    bool fetch(ByteFeed& input);
    bool readHeader(ByteFeed& input);
    DclStatus stop(DclStatus status) {
        stopped_ = true;
        status_ = status;
        return status;
    }

    // Input read from the feed and not yet in `bits_`. A sector's stream is a few KiB at most;
    // this holds a small part of it, so a kept decoder costs little.
    std::array<std::uint8_t, 256> input_{};
    std::size_t inputAt_ = 0;
    std::size_t inputEnd_ = 0;
    bool inputDone_ = false;
    // Unread bits, the next one lowest. Above `count_` sit either zeros or the stream's next bits
    // (a word load reads ahead), so a lookup past the end sees zeros.
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
    bool started_ = false;
    bool ascii_ = false;
    unsigned dictionaryBits_ = 0;
    // What is left of a copy that a limit cut short.
    std::size_t copyLeft_ = 0;
    std::size_t copyDistance_ = 0;
    bool stopped_ = false;
    DclStatus status_ = DclStatus::Done;
};

// Replaces `out` with the decoded stream. Decoding stops at the end marker, or as soon as `out`
// holds `limit` bytes. On an error `out` holds what was decoded before it. Never reads outside
// `in`, and never makes `out` longer than `limit`.
DclStatus dclExplode(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out,
                     std::size_t limit);

}  // namespace qrvl
