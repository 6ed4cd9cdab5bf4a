// Random access to the bytes of one file: a buffer in memory, or the scenario inside a map
// archive, whose sectors are decoded only when first asked for.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

namespace qrvl {

class ByteSource {
  public:
    virtual ~ByteSource() = default;

    // The file's size in bytes.
    virtual std::uint32_t size() const = 0;

    // Fills `out` with the bytes at `offset`. The caller keeps offset + out.size() within size().
    // False when those bytes cannot be produced (a sector that does not decode); `out` is then
    // unspecified.
    virtual bool read(std::uint32_t offset, std::span<std::uint8_t> out) = 0;
};

// A buffer the caller keeps alive.
class SpanSource final : public ByteSource {
  public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint32_t size() const override { return static_cast<std::uint32_t>(bytes_.size()); }
    bool read(std::uint32_t offset, std::span<std::uint8_t> out) override {
        if (offset > bytes_.size() || out.size() > bytes_.size() - offset) {
            return false;
        }
        if (!out.empty()) {
            std::memcpy(out.data(), bytes_.data() + offset, out.size());
        }
        return true;
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace qrvl
