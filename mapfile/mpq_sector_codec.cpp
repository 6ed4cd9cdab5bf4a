// Sector decompression: the method byte, PKWARE DCL and zlib.
#include "mapfile/mpq_sector_codec.h"

#include <zlib.h>

#include <algorithm>

#include "mapfile/dcl_explode.h"

namespace qrvl {

namespace {

constexpr std::uint8_t kMethodDcl = 0x08;
constexpr std::uint8_t kMethodZlib = 0x02;

bool inflateInto(std::span<const std::uint8_t> in, std::size_t limit,
                 std::vector<std::uint8_t>& out) {
    out.resize(limit);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return false;
    }
    stream.next_in = const_cast<Bytef*>(in.data());
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(limit);
    const int status = inflate(&stream, Z_FINISH);
    const std::size_t produced = limit - stream.avail_out;
    inflateEnd(&stream);
    // A full output buffer means the sector's bytes are all there, whatever follows (the game
    // cuts a sector that decodes long).
    if (status != Z_STREAM_END && stream.avail_out != 0) {
        return false;
    }
    out.resize(produced);
    return true;
}

}  // namespace

bool decompressSector(std::span<const std::uint8_t> stored, SectorCompression compression,
                      std::size_t expected, std::size_t limit, std::vector<std::uint8_t>& out) {
    if (compression == SectorCompression::Imploded) {
        if (dclExplode(stored, out, limit) != DclStatus::Done) {
            return false;
        }
    } else {
        if (stored.empty()) {
            return false;
        }
        const std::uint8_t methods = stored[0];
        if ((methods & ~(kMethodDcl | kMethodZlib)) != 0) {
            return false;
        }
        std::span<const std::uint8_t> data = stored.subspan(1);
        std::vector<std::uint8_t> between;
        // Compression applied zlib before DCL, so DCL is undone first. An intermediate stream
        // has no known size; it is bounded by the sector's own.
        if ((methods & kMethodDcl) != 0) {
            const std::size_t bound = (methods & kMethodZlib) != 0 ? expected * 2 + 64 : limit;
            if (dclExplode(data, between, bound) != DclStatus::Done) {
                return false;
            }
            data = between;
        }
        if ((methods & kMethodZlib) != 0) {
            if (!inflateInto(data, limit, out)) {
                return false;
            }
        } else if ((methods & kMethodDcl) != 0) {
            out = std::move(between);
        } else {
            out.assign(data.begin(), data.begin() + std::min(data.size(), limit));
        }
    }
    out.resize(limit, 0);
    return true;
}

}  // namespace qrvl
