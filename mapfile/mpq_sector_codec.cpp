// Sector decompression: the method byte, PKWARE DCL and zlib.
#include "mapfile/mpq_sector_codec.h"

#include <zlib.h>

#include <algorithm>

#include "mapfile/dcl_explode.h"

namespace qrvl {

namespace {

constexpr std::uint8_t kMethodDcl = 0x08;
constexpr std::uint8_t kMethodZlib = 0x02;

// A zlib stream's first `limit` bytes, its output grown as it comes: a sector may claim many MiB
// that its few stored bytes never fill.
bool inflateInto(std::span<const std::uint8_t> in, std::size_t limit,
                 std::vector<std::uint8_t>& out) {
    constexpr std::size_t kFirstAllocation = 16u << 10;
    out.resize(std::min(limit, kFirstAllocation));
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return false;
    }
    stream.next_in = const_cast<Bytef*>(in.data());
    stream.avail_in = static_cast<uInt>(in.size());
    std::size_t produced = 0;
    int status = Z_OK;
    while (true) {
        stream.next_out = out.data() + produced;
        stream.avail_out = static_cast<uInt>(out.size() - produced);
        status = inflate(&stream, Z_NO_FLUSH);
        produced = out.size() - stream.avail_out;
        if (status != Z_OK || stream.avail_out != 0 || produced == limit) {
            break;
        }
        out.resize(std::min(limit, out.size() * 2));
    }
    inflateEnd(&stream);
    out.resize(produced);
    // A full output means the sector's bytes are all there, whatever follows (the game cuts a
    // sector that decodes long).
    return status == Z_STREAM_END || produced == limit;
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
        // has no known size; it is bounded by the sector's own, and by what any block may decode
        // (a sector may be a whole scenario of many MiB).
        if ((methods & kMethodDcl) != 0) {
            const std::size_t bound = (methods & kMethodZlib) != 0
                                          ? std::min(expected * 2 + 64, kMaxIntermediateBytes)
                                          : limit;
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
    return true;
}

}  // namespace qrvl
