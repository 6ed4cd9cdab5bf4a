// The cache file: what comes back, and that nothing but a sound cache of this machine is trusted.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <functional>

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

// The file with `edit` made to it and its checksum made sound again: damage only the cache's own
// checks can find.
std::vector<std::uint8_t> resummed(std::vector<std::uint8_t> bytes,
                                   const std::function<void(std::vector<std::uint8_t>&)>& edit) {
    edit(bytes);
    const auto sum = crc32(0L, bytes.data(), static_cast<uInt>(bytes.size() - 4));
    for (int i = 0; i < 4; ++i) {
        bytes[bytes.size() - 4 + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(sum >> (8 * i));
    }
    return bytes;
}

// Where the index starts in a cache of machine "HOST": magic, version, the name, the count.
constexpr std::size_t kIndexAt = 8 + 4 + (4 + 4) + 4;

TEST(MapCacheTest, IgnoresEveryFileThatIsNotASoundCacheOfThisMachine) {
    const std::vector<std::uint8_t> good = written();
    std::vector<std::vector<std::uint8_t>> bad = {
        {},
        {'Q', 'R', 'V', 'L'},
        // Two index entries out of hash order: a lookup's binary search would miss maps.
        resummed(good,
                 [](auto& bytes) {
                     std::swap_ranges(bytes.begin() + kIndexAt, bytes.begin() + kIndexAt + 12,
                                      bytes.begin() + kIndexAt + 12);
                 }),
        // An entry's offset past the entries.
        resummed(good, [](auto& bytes) { bytes[kIndexAt + 8 + 3] = 0x7F; }),
    };
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

// Entries are parsed from the loaded file only as they are looked up; each of many comes back,
// whatever its path's script, and a map never stored is not found.
TEST(MapCacheTest, FindsEachOfManyEntriesLoaded) {
    MapCache cache(L"HOST");
    std::vector<std::wstring> paths;
    for (int i = 0; i < 300; ++i) {
        paths.push_back(L"C:\\maps\\" + std::wstring(i % 3 == 0 ? L"\uc9c0\ub3c4" : L"map") +
                        std::to_wstring(i) + (i % 2 ? L".scx" : L".scm"));
        cache.store(paths.back(), FileStamp{std::uint64_t(i), i}, i % 5 ? kRead : kUnreadable);
    }
    MapCache again(L"HOST");
    ASSERT_TRUE(again.load(cache.serialize()));
    std::reverse(paths.begin(), paths.end());
    for (std::size_t n = 0; n < paths.size(); ++n) {
        const int i = static_cast<int>(paths.size() - 1 - n);
        const MapReading* found = again.find(paths[n], FileStamp{std::uint64_t(i), i});
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(*found, i % 5 ? kRead : kUnreadable);
        EXPECT_EQ(n + 1 < paths.size(), again.changed());
    }
    EXPECT_EQ(again.find(L"C:\\maps\\map300.scm", FileStamp{300, 300}), nullptr);
}

// A map read again replaces what the loaded file said of it, for good.
TEST(MapCacheTest, AStoreReplacesTheLoadedEntry) {
    MapCache cache(L"HOST");
    ASSERT_TRUE(cache.load(written()));
    const FileStamp newer{1234, 9999};
    cache.store(L"C:\\maps\\a.scx", newer, kUnreadable);
    EXPECT_EQ(cache.find(L"C:\\maps\\a.scx", kStamp), nullptr);
    cache.find(L"C:\\maps\\b.scm", kStamp);
    MapCache again(L"HOST");
    ASSERT_TRUE(again.load(cache.serialize()));
    EXPECT_EQ(again.find(L"C:\\maps\\a.scx", kStamp), nullptr);
    ASSERT_NE(again.find(L"C:\\maps\\a.scx", newer), nullptr);
    EXPECT_EQ(*again.find(L"C:\\maps\\a.scx", newer), kUnreadable);
    EXPECT_EQ(*again.find(L"C:\\maps\\b.scm", kStamp), kUnreadable);
}

}  // namespace
}  // namespace qrvl::test
