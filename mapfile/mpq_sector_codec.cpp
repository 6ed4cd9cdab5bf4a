// Sector decompression: the method byte, PKWARE DCL and zlib, each able to stop and go on.
#include "mapfile/mpq_sector_codec.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace qrvl {

namespace {

constexpr std::uint8_t kMethodDcl = 0x08;
constexpr std::uint8_t kMethodZlib = 0x02;
// Sectors up to this size get their whole output's room at once; larger ones grow as decoded.
constexpr std::size_t kWholeSectorRoom = 64u << 10;
constexpr std::size_t kDecoderSlack = 1024;

}  // namespace

// The inflater kept between calls, with the input it was last given. Made only for the rare
// zlib sector: its state and window take some 40 KiB.
struct SectorDecoder::Zlib {
    z_stream stream{};
    bool ready = false;
    bool inputDone = false;
    std::array<std::uint8_t, 1024> input{};
    // DCL output that zlib inflates, when both were applied; fed from here, not from the sector.
    std::vector<std::uint8_t> between;
    std::optional<SpanFeed> betweenFeed;

    ~Zlib() {
        if (ready) {
            inflateEnd(&stream);
        }
    }
};

SectorDecoder::SectorDecoder(std::span<const std::uint8_t> stored, std::optional<std::uint32_t> key,
                             SectorCompression compression, std::size_t expected)
    : input_(stored, key), compression_(compression), expected_(expected) {}

SectorDecoder::~SectorDecoder() = default;

bool SectorDecoder::decodeTo(std::vector<std::uint8_t>& out, std::size_t limit) {
    limit = std::min(limit, expected_);
    if (method_ == Method::Failed) {
        return false;
    }
    if (ended_ || out.size() >= limit) {
        return true;
    }
    if (out.capacity() == 0) {
        // A sector is read a few bytes further each time: room for all of it at once, so that
        // the output never moves. A decoder writes a little past what it gives back.
        out.reserve(std::min(expected_, kWholeSectorRoom) + kDecoderSlack);
    }
    bool decoded = method_ != Method::Unknown || start();
    if (decoded) {
        switch (method_) {
            case Method::Copy:
                decoded = copyTo(out, limit);
                break;
            case Method::Dcl:
                decoded = explodeTo(out, limit);
                break;
            default:
                decoded = inflateTo(out, limit);
                break;
        }
    }
    if (!decoded) {
        method_ = Method::Failed;
    }
    return decoded;
}

bool SectorDecoder::start() {
    if (compression_ == SectorCompression::None) {
        method_ = Method::Copy;
        return true;
    }
    if (compression_ == SectorCompression::Imploded) {
        method_ = Method::Dcl;
        return true;
    }
    std::array<std::uint8_t, 1> mask{};
    if (input_.read(mask) == 0) {
        return false;
    }
    const std::uint8_t methods = mask[0];
    if ((methods & ~(kMethodDcl | kMethodZlib)) != 0) {
        return false;
    }
    if ((methods & kMethodZlib) == 0) {
        method_ = (methods & kMethodDcl) != 0 ? Method::Dcl : Method::Copy;
        return true;
    }
    zlib_ = std::make_unique<Zlib>();
    if ((methods & kMethodDcl) != 0) {
        // Compression applied zlib before DCL, so DCL is undone first, here at once. An
        // intermediate stream has no known size; it is bounded by the sector's own, and by what
        // any block may decode (a sector may be a whole scenario of many MiB).
        const std::size_t bound = std::min(expected_ * 2 + 64, kMaxIntermediateBytes);
        if (dcl_.decode(input_, zlib_->between, bound) != DclStatus::Done) {
            return false;
        }
        zlib_->betweenFeed.emplace(zlib_->between);
    }
    if (inflateInit(&zlib_->stream) != Z_OK) {
        return false;
    }
    zlib_->ready = true;
    method_ = Method::Zlib;
    return true;
}

bool SectorDecoder::copyTo(std::vector<std::uint8_t>& out, std::size_t limit) {
    const std::size_t had = out.size();
    out.resize(limit);
    const std::size_t got = input_.read(std::span(out).subspan(had));
    out.resize(had + got);
    ended_ = out.size() < limit;
    return true;
}

bool SectorDecoder::explodeTo(std::vector<std::uint8_t>& out, std::size_t limit) {
    if (dcl_.decode(input_, out, limit) != DclStatus::Done) {
        return false;
    }
    ended_ = dcl_.ended();
    return true;
}

// A zlib stream's next bytes, its output grown as it comes: a sector may claim many MiB that its
// few stored bytes never fill.
bool SectorDecoder::inflateTo(std::vector<std::uint8_t>& out, std::size_t limit) {
    constexpr std::size_t kFirstAllocation = 16u << 10;
    Zlib& z = *zlib_;
    ByteFeed& input = z.betweenFeed ? static_cast<ByteFeed&>(*z.betweenFeed) : input_;
    std::size_t produced = out.size();
    bool decoded = true;
    while (produced < limit) {
        if (z.stream.avail_in == 0 && !z.inputDone) {
            const std::size_t got = input.read(z.input);
            z.inputDone = got == 0;
            z.stream.next_in = z.input.data();
            z.stream.avail_in = static_cast<uInt>(got);
        }
        if (out.size() == produced) {
            out.resize(std::min(limit, std::max(produced * 2, produced + kFirstAllocation)));
        }
        z.stream.next_out = out.data() + produced;
        z.stream.avail_out = static_cast<uInt>(out.size() - produced);
        const int status = inflate(&z.stream, Z_NO_FLUSH);
        produced = out.size() - z.stream.avail_out;
        if (status == Z_STREAM_END) {
            ended_ = true;
            break;
        }
        // No progress with the input all given: the stream was cut.
        if (status != Z_OK && !(status == Z_BUF_ERROR && !z.inputDone)) {
            decoded = false;
            break;
        }
    }
    out.resize(produced);
    // A full output means the sector's bytes are all there, whatever follows (the game cuts a
    // sector that decodes long).
    return decoded || produced == limit;
}

}  // namespace qrvl
