// DCL explode over hand-assembled streams: both literal modes, copies, limits and every error.
#include "mapfile/dcl_explode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qrvl::test {
namespace {

struct Row {
    const char* name;
    std::vector<std::uint8_t> stream;
    std::size_t limit;
    DclStatus status;
    std::string output;
};

// Binary, 1 KiB window: "AI", then a copy of 11 at distance 2, then the end marker.
const std::vector<std::uint8_t> kAiStream = {0x00, 0x04, 0x82, 0x24, 0x25, 0x8F, 0x80, 0x7F};

std::vector<std::uint8_t> prefix(const std::vector<std::uint8_t>& bytes, std::size_t n) {
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)};
}

const Row kRows[] = {
    {"ReferenceStream", kAiStream, 4096, DclStatus::Done, "AIAIAIAIAIAIA"},
    {"LimitCutsInsideACopy", kAiStream, 5, DclStatus::Done, "AIAIA"},
    {"ZeroLimitReadsNothing", kAiStream, 0, DclStatus::Done, ""},
    // ASCII, 1 KiB window: "to be or not " as literals, then a copy of 5 at distance 13.
    {"AsciiLiteralsAndCopy",
     {0x01, 0x04, 0x8A, 0xEE, 0x99, 0xB6, 0xD7, 0x35, 0x6F, 0xE8, 0x8A, 0xEF, 0x39, 0xE0, 0x1F},
     4096,
     DclStatus::Done,
     "to be or not to be"},
    // ASCII, 2 KiB window: literals with 11- and 13-bit codes, then a copy of 2, whose
    // distance has two low bits whatever the window.
    {"AsciiLongCodesAndShortCopy",
     {0x01, 0x05, 0x20, 0x09, 0x48, 0x02, 0x4A, 0x00, 0xC0, 0x6F, 0x13, 0xF0, 0x0F},
     4096,
     DclStatus::Done,
     std::string("\x00\x1A\xE9\xFF\x20\x00\x1A", 7)},
    // "ab", a copy of 2 at distance 2, then a copy of 15 (two extra bits) at distance 1.
    {"CopiesOverlapTheirOwnOutput",
     {0x00, 0x04, 0xC2, 0x88, 0xED, 0xC5, 0x0F, 0x01, 0xFF},
     4096,
     DclStatus::Done,
     "abab" + std::string(15, 'b')},
    // 4 KiB window: "b", 4095 "a" by copies of 518 at distance 1, then 3 from distance 4096.
    {"LargestDistanceReachesTheFirstByte",
     {0x00, 0x06, 0xC4, 0x84, 0x05, 0xF8, 0x0F, 0x04, 0xF8, 0x0F, 0x04,
      0xF8, 0x0F, 0x04, 0xF8, 0x0F, 0x04, 0xF8, 0x0F, 0x04, 0xF8, 0x0F,
      0x04, 0xF8, 0x0F, 0x04, 0x30, 0x0F, 0x1C, 0xE0, 0x0F, 0xF8, 0x07},
     1 << 20,
     DclStatus::Done,
     "b" + std::string(4095, 'a') + "baa"},
    // Nothing but the end marker; libstorm refuses any stream this short.
    {"EndMarkerOnly", {0x00, 0x04, 0x01, 0xFF}, 4096, DclStatus::Done, ""},
    {"EmptyInput", {}, 4096, DclStatus::BadHeader, ""},
    {"OneByte", {0x00}, 4096, DclStatus::BadHeader, ""},
    {"LiteralModeTwo",
     {0x02, 0x04, 0x82, 0x24, 0x25, 0x8F, 0x80, 0x7F},
     4096,
     DclStatus::BadHeader,
     ""},
    {"DictionaryBitsThree",
     {0x00, 0x03, 0x82, 0x24, 0x25, 0x8F, 0x80, 0x7F},
     4096,
     DclStatus::BadHeader,
     ""},
    {"DictionaryBitsSeven",
     {0x00, 0x07, 0x82, 0x24, 0x25, 0x8F, 0x80, 0x7F},
     4096,
     DclStatus::BadHeader,
     ""},
    {"HeaderOnly", {0x00, 0x04}, 4096, DclStatus::Truncated, ""},
    {"CutInsideTheEndMarker", prefix(kAiStream, 7), 4096, DclStatus::Truncated, "AIAIAIAIAIAIA"},
    {"CutInsideACopy", prefix(kAiStream, 5), 4096, DclStatus::Truncated, "AI"},
    // ASCII: the 13-bit code of 0xE9, of which only 7 bits arrive.
    {"CutInsideALongLiteralCode", {0x01, 0x04, 0x80}, 4096, DclStatus::Truncated, ""},
    // "A", then a copy of 3 at distance 2.
    {"DistanceBeforeTheFirstByte",
     {0x00, 0x04, 0x82, 0x7E, 0x04, 0xFC, 0x03},
     4096,
     DclStatus::BadDistance,
     "A"},
};

class DclExplode : public ::testing::TestWithParam<Row> {};

TEST_P(DclExplode, DecodesTheStreamOrReportsWhyNot) {
    const Row& row = GetParam();
    std::vector<std::uint8_t> out = {0xEE};  // replaced, never appended to
    EXPECT_EQ(dclExplode(row.stream, out, row.limit), row.status);
    EXPECT_EQ(std::string(out.begin(), out.end()), row.output);
}

// A reader that needs one byte more each time gets what one call gives: the decoder keeps a copy
// that a limit cut, and its bit buffer, between calls.
TEST_P(DclExplode, GivesTheSameOneByteAtATime) {
    const Row& row = GetParam();
    SpanFeed input(row.stream);
    DclDecoder decoder;
    std::vector<std::uint8_t> out;
    DclStatus status = DclStatus::Done;
    for (std::size_t limit = 0; status == DclStatus::Done && !decoder.ended(); ++limit) {
        status = decoder.decode(input, out, std::min(limit, row.limit));
        if (limit >= row.limit) {
            break;
        }
    }
    EXPECT_EQ(status, row.status);
    EXPECT_EQ(std::string(out.begin(), out.end()), row.output);
    if (decoder.ended() || status != DclStatus::Done) {
        // Stopped for good: a later call adds nothing.
        EXPECT_EQ(decoder.decode(input, out, SIZE_MAX), status);
        EXPECT_EQ(out.size(), row.output.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, DclExplode, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qrvl::test
