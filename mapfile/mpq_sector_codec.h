// Undoing the compression of one sector of a map archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qrvl {

// The most a sector's intermediate stream (DCL output that zlib then inflates) may hold.
inline constexpr std::size_t kMaxIntermediateBytes = 32u << 20;

enum class SectorCompression {
    Imploded,    // the whole sector is one PKWARE DCL stream
    MaskedByte,  // a byte of method bits, then the data: DCL (0x08) and zlib (0x02) are read
};

// Decompresses the first `limit` bytes (at most `expected`) of a sector of `expected` bytes into
// `out`: output past `limit` is cut, and output that ends before it leaves `out` shorter (the rest
// of the sector reads as zeros, as the game pads it). `out` grows with what is decoded, never to
// `limit` ahead of it. False when a method is not one maps use for their scenario (bzip2, Huffman,
// ADPCM, LZMA) or the data do not decode.
bool decompressSector(std::span<const std::uint8_t> stored, SectorCompression compression,
                      std::size_t expected, std::size_t limit, std::vector<std::uint8_t>& out);

}  // namespace qrvl
