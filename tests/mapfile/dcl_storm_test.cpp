// DCL explode against libstorm's pklib: its compressed streams decode back, cut ones to a prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mapfile/dcl_explode.h"
#include "tests/mapfile/storm_pklib.h"

namespace qrvl::test {
namespace {

enum class Kind { RandomBytes, Text, SmallAlphabet, LongRuns };

std::vector<std::uint8_t> makeInput(Kind kind, std::size_t size, std::mt19937& random) {
    static constexpr std::string_view kWords[] = {"the ", "lost ", "temple ", "of ",     "python ",
                                                  "(4)",  "\r\n",  "Jungle ", "ladder ", "1v1 "};
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < size) {
        switch (kind) {
            case Kind::RandomBytes:
                bytes.push_back(static_cast<std::uint8_t>(random()));
                break;
            case Kind::Text: {
                const auto word = kWords[random() % std::size(kWords)];
                bytes.insert(bytes.end(), word.begin(), word.end());
                break;
            }
            case Kind::SmallAlphabet:
                bytes.push_back(static_cast<std::uint8_t>("ACGT"[random() % 4]));
                break;
            case Kind::LongRuns:
                // Runs longer than the longest copy, and repeats at the window's far end.
                bytes.insert(bytes.end(), random() % 1200 + 1, static_cast<std::uint8_t>(random()));
                break;
        }
    }
    bytes.resize(size);
    return bytes;
}

bool isPrefix(const std::vector<std::uint8_t>& part, const std::vector<std::uint8_t>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// Decodes in steps of random length, some of nothing, as a sector is read header by header.
DclStatus explodeInSteps(std::span<const std::uint8_t> stream, std::vector<std::uint8_t>& out,
                         std::mt19937& random) {
    SpanFeed input(stream);
    DclDecoder decoder;
    out.clear();
    DclStatus status = DclStatus::Done;
    for (std::size_t limit = 0; status == DclStatus::Done && !decoder.ended();) {
        limit += random() % 700;
        status = decoder.decode(input, out, limit);
    }
    return status;
}

TEST(DclExplodeAgainstStorm, DecodesInStepsWhatItDecodesAtOnce) {
    std::mt19937 random(20240612);
    for (const Kind kind : {Kind::RandomBytes, Kind::Text, Kind::SmallAlphabet, Kind::LongRuns}) {
        for (const std::size_t size : {1, 517, 4097, 20000}) {
            const auto input = makeInput(kind, size, random);
            for (const PklibMode mode : {PklibMode::Binary, PklibMode::Ascii}) {
                SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << ", size "
                                                << size << ", mode " << static_cast<int>(mode));
                const auto compressed = stormImplode(input, mode, 4096);
                std::vector<std::uint8_t> ours;
                EXPECT_EQ(explodeInSteps(compressed.bytes, ours, random), DclStatus::Done);
                EXPECT_EQ(ours, input);
                // Cut: the same error after the same bytes.
                const std::span<const std::uint8_t> part(compressed.bytes.data(),
                                                         compressed.bytes.size() * 2 / 3);
                std::vector<std::uint8_t> atOnce;
                EXPECT_EQ(dclExplode(part, atOnce, SIZE_MAX), DclStatus::Truncated);
                EXPECT_EQ(explodeInSteps(part, ours, random), DclStatus::Truncated);
                EXPECT_EQ(ours, atOnce);
            }
        }
    }
}

TEST(DclExplodeAgainstStorm, DecodesWhatPklibCompressesAndAPrefixOfWhatIsCut) {
    std::mt19937 random(20240611);
    const std::size_t sizes[] = {1, 2, 3, 64, 517, 1025, 4096, 4097, 8000, 20000};
    for (const Kind kind : {Kind::RandomBytes, Kind::Text, Kind::SmallAlphabet, Kind::LongRuns}) {
        for (const std::size_t size : sizes) {
            const auto input = makeInput(kind, size, random);
            for (const PklibMode mode : {PklibMode::Binary, PklibMode::Ascii}) {
                for (const unsigned dictionary : {1024U, 2048U, 4096U}) {
                    SCOPED_TRACE(testing::Message()
                                 << "kind " << static_cast<int>(kind) << ", size " << size
                                 << ", mode " << static_cast<unsigned>(mode) << ", dictionary "
                                 << dictionary);
                    const auto compressed = stormImplode(input, mode, dictionary);
                    ASSERT_EQ(compressed.code, kPklibOk);

                    std::vector<std::uint8_t> ours;
                    EXPECT_EQ(dclExplode(compressed.bytes, ours, SIZE_MAX), DclStatus::Done);
                    EXPECT_EQ(ours, input);
                    const auto theirs = stormExplode(compressed.bytes);
                    EXPECT_EQ(theirs.code, kPklibOk);
                    EXPECT_EQ(theirs.bytes, ours);

                    EXPECT_EQ(dclExplode(compressed.bytes, ours, size / 2), DclStatus::Done);
                    EXPECT_EQ(ours.size(), size / 2);
                    EXPECT_TRUE(isPrefix(ours, input));

                    // Every cut loses part of the end marker, which is in the last byte.
                    for (const std::size_t cut : {compressed.bytes.size() - 1,
                                                  compressed.bytes.size() / 2, std::size_t{2}}) {
                        const std::span<const std::uint8_t> part(compressed.bytes.data(), cut);
                        EXPECT_EQ(dclExplode(part, ours, SIZE_MAX), DclStatus::Truncated);
                        EXPECT_TRUE(isPrefix(ours, input));
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace qrvl::test
