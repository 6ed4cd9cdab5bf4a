// A small PKWARE DCL encoder for test archives: binary literals, and runs of one byte as copies
// from one byte back, which is enough to make tile data shrink.
#pragma once

#include <cstdint>
#include <vector>

namespace qrvl::test {

class DclBitWriter {
  public:
    // Bits go out least significant first.
    void raw(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            bit((value >> i) & 1);
        }
    }
    // A code written as its bits are read, first bit first ("101" is 1, 0, 1).
    void asRead(const char* bits) {
        for (; *bits; ++bits) {
            bit(*bits == '1');
        }
    }
    std::vector<std::uint8_t> finish() {
        if (used_ > 0) {
            bytes_.push_back(current_);
        }
        return bytes_;
    }

  private:
    void bit(bool on) {
        current_ = static_cast<std::uint8_t>(current_ | (on ? 1 << used_ : 0));
        if (++used_ == 8) {
            bytes_.push_back(current_);
            current_ = 0;
            used_ = 0;
        }
    }
    std::vector<std::uint8_t> bytes_;
    std::uint8_t current_ = 0;
    int used_ = 0;
};

// Binary mode, 4 KiB dictionary, closed by the end marker.
inline std::vector<std::uint8_t> dclRunEncode(const std::vector<std::uint8_t>& data) {
    // Copy lengths 3 to 9 have no extra bits: symbol = length - 2.
    static const char* const kLengthCodes[] = {"11", "100", "011", "0101", "0100", "0011", "00101"};
    DclBitWriter out;
    out.raw(0, 8);
    out.raw(6, 8);
    std::size_t i = 0;
    while (i < data.size()) {
        std::size_t run = 0;
        while (i > 0 && i + run < data.size() && run < 9 && data[i + run] == data[i - 1]) {
            ++run;
        }
        if (run >= 3) {
            out.raw(1, 1);
            out.asRead(kLengthCodes[run - 3]);
            out.asRead("11");  // distance symbol 0
            out.raw(0, 6);     // low bits of distance 1
            i += run;
        } else {
            out.raw(0, 1);
            out.raw(data[i], 8);
            ++i;
        }
    }
    // Length 519 ends the stream: symbol 15 ("0000000") with its eight extra bits set.
    out.raw(1, 1);
    out.asRead("0000000");
    out.raw(0xFF, 8);
    return out.finish();
}

}  // namespace qrvl::test
