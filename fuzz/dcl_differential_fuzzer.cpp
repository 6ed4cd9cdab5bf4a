// DCL explode against libstorm's pklib: arbitrary streams decode alike, and what pklib
// compresses decodes back exactly; and against itself, decoding in steps as at once.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <utility>
#include <vector>

#include "mapfile/dcl_explode.h"
#include "tests/mapfile/storm_pklib.h"

namespace {

using qrvl::DclStatus;
using qrvl::test::PklibMode;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool isPrefix(std::span<const std::uint8_t> part, std::span<const std::uint8_t> whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// Decoding taken up again and again, `step` bytes further each time, as a sector is read header by
// header, ends as one decode to the same limit does.
void compareInSteps(std::span<const std::uint8_t> stream, std::size_t limit, std::size_t step) {
    std::vector<std::uint8_t> whole;
    const DclStatus status = qrvl::dclExplode(stream, whole, limit);
    qrvl::SpanFeed input(stream);
    qrvl::DclDecoder decoder;
    std::vector<std::uint8_t> out;
    DclStatus stepped = DclStatus::Done;
    for (std::size_t reach = 0;;) {
        reach = std::min(limit, reach + step);
        stepped = decoder.decode(input, out, reach);
        if (stepped != DclStatus::Done || decoder.ended() || reach == limit) {
            break;
        }
    }
    require(stepped == status && out == whole);
}

// pklib reads zeros where we refuse a copy reaching before the first byte, and gives up on a
// stream of four bytes or fewer; otherwise the two agree on every byte both produce.
void compareOnStream(std::span<const std::uint8_t> stream, std::size_t limit) {
    std::vector<std::uint8_t> ours;
    const DclStatus status = qrvl::dclExplode(stream, ours, SIZE_MAX);
    const auto theirs = qrvl::test::stormExplode(stream);
    if (status == DclStatus::Done) {
        require(theirs.code == qrvl::test::kPklibOk || stream.size() <= 4);
        require(theirs.code != qrvl::test::kPklibOk || theirs.bytes == ours);
    }
    if (theirs.code == qrvl::test::kPklibOk) {
        require(status == DclStatus::Done || status == DclStatus::BadDistance);
        require(isPrefix(ours, theirs.bytes));
    }
    // pklib hands out its output in blocks, so a failed run may stop short of ours.
    require(isPrefix(ours, theirs.bytes) || isPrefix(theirs.bytes, ours));

    // A limit only cuts the same output short.
    std::vector<std::uint8_t> cut;
    const DclStatus cutStatus = qrvl::dclExplode(stream, cut, limit);
    if (limit <= ours.size() && status != DclStatus::BadHeader) {
        require(cutStatus == DclStatus::Done && cut.size() == limit);
    } else {
        require(cutStatus == status && cut.size() == ours.size());
    }
    require(isPrefix(cut, ours));
}

std::vector<std::uint8_t> roundTrip(std::span<const std::uint8_t> data, PklibMode mode,
                                    unsigned dictionary) {
    auto compressed = qrvl::test::stormImplode(data, mode, dictionary);
    require(compressed.code == qrvl::test::kPklibOk);
    std::vector<std::uint8_t> ours;
    require(qrvl::dclExplode(compressed.bytes, ours, data.size()) == DclStatus::Done);
    require(std::equal(ours.begin(), ours.end(), data.begin(), data.end()));
    require(qrvl::dclExplode(compressed.bytes, ours, SIZE_MAX) == DclStatus::Done);
    require(std::equal(ours.begin(), ours.end(), data.begin(), data.end()));
    return std::move(compressed.bytes);
}

struct Edit {
    std::uint16_t position;
    std::uint8_t flip;
};

}  // namespace

// Raw streams seldom get as far as an end marker, so the comparison also runs on pklib's own
// streams with a few bytes damaged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const auto limit = provider.ConsumeIntegralInRange<std::size_t>(0, 8192);
    const auto mode = provider.ConsumeBool() ? PklibMode::Ascii : PklibMode::Binary;
    const unsigned dictionary = 1024U << provider.ConsumeIntegralInRange(0, 2);
    std::vector<Edit> edits(provider.ConsumeIntegralInRange(0, 3));
    for (auto& edit : edits) {
        edit.position = provider.ConsumeIntegral<std::uint16_t>();
        edit.flip = provider.ConsumeIntegral<std::uint8_t>();
    }
    const auto stream = provider.ConsumeBytes<std::uint8_t>(
        provider.ConsumeIntegralInRange<std::size_t>(0, provider.remaining_bytes()));
    const auto rest = provider.ConsumeRemainingBytes<std::uint8_t>();
    // Taken from the limit rather than from the input, so that the seeds keep their meaning.
    const std::size_t step = limit % 700 + 1;

    compareOnStream(stream, limit);
    compareInSteps(stream, limit, step);
    auto damaged = roundTrip(rest, mode, dictionary);
    compareInSteps(damaged, SIZE_MAX, step);
    if (!edits.empty()) {
        for (const auto& edit : edits) {
            damaged[edit.position % damaged.size()] ^= edit.flip;
        }
        compareOnStream(damaged, limit);
        compareInSteps(damaged, limit, step);
    }
    return 0;
}
