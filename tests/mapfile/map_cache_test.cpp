// The cache file: what comes back, and that nothing but a sound cache of this machine is trusted.
#include <gtest/gtest.h>

#include "mapfile/map_cache.h"

namespace qrvl::test {
namespace {

const FileStamp kStamp{1234, 5678};
const MapReading kRead{MapInfo{L"\uc9c0\ub3c4 (2)", L"desc", 2, 96, 128, Tileset::Twilight}, {}};
const MapReading kUnreadable{std::nullopt, "no scenario in the archive"};

std::vector<std::uint8_t> written() {
    MapCache cache(L"HOST");
    cache.store(L"C:\\maps\\a.scx", kStamp, kRead);
    cache.store(L"C:\\maps\\b.scm", kStamp, kUnreadable);
    return cache.serialize();
}

TEST(MapCacheTest, GivesBackWhatWasStoredWhileTheFileIsUnchanged) {
    MapCache cache(L"HOST");
    ASSERT_TRUE(cache.load(written()));
    ASSERT_NE(cache.find(L"C:\\maps\\a.scx", kStamp), nullptr);
    EXPECT_EQ(*cache.find(L"C:\\maps\\a.scx", kStamp), kRead);
    EXPECT_EQ(*cache.find(L"C:\\maps\\b.scm", kStamp), kUnreadable);
    // Every map seen and none read again: nothing to write back.
    EXPECT_FALSE(cache.changed());
    EXPECT_EQ(cache.find(L"C:\\maps\\a.scx", FileStamp{1234, 5679}), nullptr);
    EXPECT_EQ(cache.find(L"C:\\maps\\a.scx", FileStamp{1235, 5678}), nullptr);
    EXPECT_EQ(cache.find(L"C:\\maps\\c.scx", kStamp), nullptr);
}

TEST(MapCacheTest, DropsTheMapsNotSeenSinceItWasLoaded) {
    MapCache cache(L"HOST");
    ASSERT_TRUE(cache.load(written()));
    cache.find(L"C:\\maps\\a.scx", kStamp);
    EXPECT_TRUE(cache.changed());
    MapCache again(L"HOST");
    ASSERT_TRUE(again.load(cache.serialize()));
    EXPECT_NE(again.find(L"C:\\maps\\a.scx", kStamp), nullptr);
    EXPECT_EQ(again.find(L"C:\\maps\\b.scm", kStamp), nullptr);
}

TEST(MapCacheTest, IgnoresEveryFileThatIsNotASoundCacheOfThisMachine) {
    const std::vector<std::uint8_t> good = written();
    std::vector<std::vector<std::uint8_t>> bad = {{}, {'Q', 'R', 'V', 'L'}};
    for (std::size_t length = 0; length < good.size(); length += 5) {
        bad.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        bad.push_back(good);
        bad.back()[at] ^= 0x10;
    }
    for (const auto& bytes : bad) {
        MapCache cache(L"HOST");
        EXPECT_FALSE(cache.load(bytes));
        EXPECT_EQ(cache.find(L"C:\\maps\\a.scx", kStamp), nullptr);
    }
    MapCache elsewhere(L"OTHER");
    EXPECT_FALSE(elsewhere.load(good));
}

}  // namespace
}  // namespace qrvl::test
