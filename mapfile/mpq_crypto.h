// The archive's string hash and its table and sector encryption.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "mapfile/byte_feed.h"

namespace qrvl {

enum class MpqHashType : std::uint32_t { TableIndex = 0, NameA = 1, NameB = 2, FileKey = 3 };

// The hash of a name inside an archive: ASCII case and slash direction do not matter.
std::uint32_t mpqHash(std::string_view name, MpqHashType type);

// One entry of the table the hash and the cipher draw from (1280 entries, five of 256).
std::uint32_t mpqCryptTable(std::size_t index);

// Decrypts the whole words of `bytes` in place as one stream from its first word; the last 1 to
// 3 bytes of a length that is not a multiple of 4 stay as they are.
void mpqDecrypt(std::span<std::uint8_t> bytes, std::uint32_t key);

// A decryption stream taken up where it was left: a sector decoded only in part is decrypted only
// as far as its decoding reads.
struct MpqCipher {
    std::uint32_t key;
    std::uint32_t seed = 0xEEEEEEEE;
};
// Decrypts the whole words of `bytes`, the stream's next ones.
void mpqDecryptNext(std::span<std::uint8_t> bytes, MpqCipher& cipher);

// A sector's stored bytes as its decoder reads them: decrypted under `key` only as far as the
// decoder has read, or fed as they are without one. The stored bytes must outlive the feed.
class MpqSectorFeed final : public ByteFeed {
  public:
    MpqSectorFeed(std::span<const std::uint8_t> stored, std::optional<std::uint32_t> key)
        : stored_(stored), encrypted_(key.has_value()), cipher_{key.value_or(0)} {}

    std::size_t read(std::span<std::uint8_t> out) override;

  private:
    std::span<const std::uint8_t> stored_;
    std::size_t at_ = 0;  // the first stored byte not yet decrypted
    bool encrypted_;
    MpqCipher cipher_;
    // A decrypted word that the end of a read cut, and how much of it was given.
    std::array<std::uint8_t, 4> word_{};
    std::size_t wordAt_ = 4;
};

// Little-endian loads, without alignment.
inline std::uint32_t loadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint16_t loadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace qrvl
