// Undoing the compression of one sector of a map archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qrvl {

enum class SectorCompression {
    Imploded,    // the whole sector is one PKWARE DCL stream
    MaskedByte,  // a byte of method bits, then the data: DCL (0x08) and zlib (0x02) are read
};

// Decompresses the first `limit` bytes (at most `expected`) of a sector of `expected` bytes into
// `out`: output past the sector's end is cut, and a sector that decodes short is padded with
// zeros, as the game hands out a whole sector either way. False when a method is not one maps use
// for their scenario (bzip2, Huffman, ADPCM, LZMA) or the data do not decode.
bool decompressSector(std::span<const std::uint8_t> stored, SectorCompression compression,
                      std::size_t expected, std::size_t limit, std::vector<std::uint8_t>& out);

}  // namespace qrvl
