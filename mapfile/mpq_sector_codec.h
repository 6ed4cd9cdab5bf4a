// Undoing the compression of one sector of a map archive, as far as its reader needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "mapfile/byte_feed.h"
#include "mapfile/dcl_explode.h"
#include "mapfile/mpq_crypto.h"

namespace qrvl {

// The most a sector's intermediate stream (DCL output that zlib then inflates) may hold.
inline constexpr std::size_t kMaxIntermediateBytes = 32u << 20;

enum class SectorCompression {
    None,        // stored as it is
    Imploded,    // the whole sector is one PKWARE DCL stream
    MaskedByte,  // a byte of method bits, then the data: DCL (0x08) and zlib (0x02) are read
};

// One sector decoded a piece at a time: a read halfway into it decodes half of it, and a later
// read further in goes on from there. Input is decrypted only as far as decoding reaches.
class SectorDecoder {
  public:
    // `stored` holds the sector as the file holds it (cut where the file ends) and must outlive
    // the decoder; `key` decrypts it when the block is encrypted. The sector decodes to
    // `expected` bytes at most.
    SectorDecoder(std::span<const std::uint8_t> stored, std::optional<std::uint32_t> key,
                  SectorCompression compression, std::size_t expected);
    ~SectorDecoder();
    SectorDecoder(const SectorDecoder&) = delete;
    SectorDecoder& operator=(const SectorDecoder&) = delete;

    // Decodes on into `out` until it holds `limit` bytes (at most the expected size) or the data
    // end, which ended() then tells: the rest of the sector reads as zeros, as the game pads it.
    // `out` must be as the calls before left it, and grows with what is decoded, never to `limit`
    // ahead of it. False when a method is not one maps use for their scenario (bzip2, Huffman,
    // ADPCM, LZMA) or the data do not decode; every later call is false too.
    bool decodeTo(std::vector<std::uint8_t>& out, std::size_t limit);

    // The data ended: no call adds more.
    bool ended() const { return ended_; }

  private:
    enum class Method { Unknown, Copy, Dcl, Zlib, Failed };
    struct Zlib;

    bool start();
    bool copyTo(std::vector<std::uint8_t>& out, std::size_t limit);
    bool explodeTo(std::vector<std::uint8_t>& out, std::size_t limit);
    bool inflateTo(std::vector<std::uint8_t>& out, std::size_t limit);

    MpqSectorFeed input_;
    SectorCompression compression_;
    std::size_t expected_;
    Method method_ = Method::Unknown;
    bool ended_ = false;
    DclDecoder dcl_;
    std::unique_ptr<Zlib> zlib_;
};

}  // namespace qrvl
