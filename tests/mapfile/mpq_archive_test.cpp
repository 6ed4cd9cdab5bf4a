// The archive reader over archives that play each trick protected maps play.
#include <gtest/gtest.h>

#include "mapfile/map_reader.h"
#include "tests/mapfile/archive_fixtures.h"

namespace qrvl::test {
namespace {

class ArchiveFixtures : public ::testing::TestWithParam<ArchiveRow> {};

TEST_P(ArchiveFixtures, ReadsTheScenarioTheGameWouldRead) {
    const ArchiveRow& row = GetParam();
    const MapReading reading = readMapBytes(buildMpq(row.layout), L"Fallback.scx");
    if (row.title.empty()) {
        EXPECT_FALSE(reading.info);
        EXPECT_FALSE(reading.error.empty());
        return;
    }
    ASSERT_TRUE(reading.info) << reading.error;
    EXPECT_EQ(reading.info->title, std::wstring(row.title.begin(), row.title.end()));
    EXPECT_EQ(reading.info->players, 2);
    EXPECT_EQ(reading.info->width, 64);
    EXPECT_EQ(reading.info->tileset, Tileset::Jungle);
}

INSTANTIATE_TEST_SUITE_P(Tricks, ArchiveFixtures, ::testing::ValuesIn(archiveRows()),
                         [](const auto& info) { return info.param.name; });

// Whatever bytes a file holds, reading ends in information or a reason: every prefix of a real
// archive, and the archive with each byte in turn flipped.
TEST(ArchiveDamage, EveryPrefixAndEveryFlippedByteEndsInAnAnswer) {
    const Bytes map = simpleMap(chkBytes(plainScenario("Real", 2, 16, 16, 1)));
    for (std::size_t length = 0; length <= map.size(); length += 7) {
        const MapReading reading = readMapBytes({map.data(), length}, L"x.scm");
        EXPECT_NE(reading.info.has_value(), !reading.error.empty());
    }
    for (std::size_t at = 0; at < map.size(); ++at) {
        Bytes damaged = map;
        damaged[at] ^= 0xA5;
        const MapReading reading = readMapBytes(damaged, L"x.scm");
        EXPECT_NE(reading.info.has_value(), !reading.error.empty());
    }
}

}  // namespace
}  // namespace qrvl::test
