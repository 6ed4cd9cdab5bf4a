// A stream's bytes handed to a decoder a piece at a time, so that a decoder can stop when its
// reader has enough and go on later from where it stopped.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace qrvl {

class ByteFeed {
  public:
    virtual ~ByteFeed() = default;

    // Copies the stream's next bytes into `out`: as many as fit, fewer only at the stream's end,
    // and 0 once every byte is out.
    virtual std::size_t read(std::span<std::uint8_t> out) = 0;
};

// A buffer the caller keeps alive, fed as it is.
class SpanFeed final : public ByteFeed {
  public:
    explicit SpanFeed(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t read(std::span<std::uint8_t> out) override {
        const std::size_t n = std::min(out.size(), bytes_.size() - at_);
        if (n > 0) {
            std::memcpy(out.data(), bytes_.data() + at_, n);
        }
        at_ += n;
        return n;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

}  // namespace qrvl
