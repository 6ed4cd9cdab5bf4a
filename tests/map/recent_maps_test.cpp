// The recent-maps update against an in-memory registry: the list it writes, and when it writes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "map/catalogue.h"
#include "map/recent_maps.h"
#include "registry/portable_registry_store.h"
#include "tests/map/fake_directory_lister.h"
#include "tests/map/registry_fixture.h"
#include "tests/map/scripted_random.h"
#include "tests/registry/recording_registry.h"

namespace qrvl {
namespace {

using namespace std::string_literals;
using test::createGameKey;
using test::gameKeyExists;
using test::loadRecentMaps;
using test::multiString;
using test::StoredValue;
using test::storeRecentMaps;

MapCollection collectionOf(const std::vector<std::wstring>& paths) {
    MapCollection col;
    for (const std::wstring& path : paths) {
        col.Add(path);
    }
    return col;
}

struct RecentMaps : ::testing::Test {
    std::shared_ptr<reg::PortableRegistryStore> store =
        std::make_shared<reg::PortableRegistryStore>();
    std::shared_ptr<test::RecordingRegistry> counted =
        std::make_shared<test::RecordingRegistry>(store);
    std::shared_ptr<ScriptedRandom> random = std::make_shared<ScriptedRandom>();
    RecentMapsUpdate update{counted, random};
};

TEST_F(RecentMaps, ThePickGoesFirstFollowedByAtMostFourOldPiecesInOrder) {
    struct Case {
        const char* what;
        bool oldValue;
        std::uint32_t oldType;
        std::string oldBytes;
        std::string written;
    };
    const Case cases[] = {
        {"no old value", false, 0, "", "P\0\0"s},
        {"first entry empty", true, 7, "\0a\0\0"s, "P\0\0"s},
        {"two pieces", true, 7, multiString({"a", "b"}), "P\0a\0b\0\0"s},
        {"six pieces", true, 7, multiString({"a", "b", "c", "d", "e", "f"}), "P\0a\0b\0c\0d\0\0"s},
        {"exactly four pieces", true, 7, multiString({"a", "b", "c", "d"}), "P\0a\0b\0c\0d\0\0"s},
        {"empty piece in the middle", true, 7, "a\0\0b\0\0"s, "P\0a\0\0b\0\0"s},
        {"the pick already listed", true, 7, multiString({"P", "a"}), "P\0P\0a\0\0"s},
        {"plain string", true, 1, "old\0"s, "P\0old\0\0"s},
        {"plain string holding a NUL", true, 1, "a\0b\0"s, "P\0a\0b\0\0"s},
        {"a number", true, 4, "\x07\0\0\0"s,
         "P\0"
         "7\0\0"s},
        {"bytes have no text form", true, 3, "\x01\x02"s, "P\0\0"s},
        {"type the class does not read", true, 0, "xyz"s, "P\0\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store = std::make_shared<reg::PortableRegistryStore>();
        RecentMapsUpdate fresh{store, random};
        ASSERT_TRUE(createGameKey(*store));
        if (c.oldValue) {
            storeRecentMaps(*store, c.oldType, c.oldBytes);
        }
        fresh.modifyReg(collectionOf({L"P"}));
        EXPECT_EQ(loadRecentMaps(*store), (StoredValue{7, c.written}));
    }
}

TEST_F(RecentMaps, SuccessiveUpdatesKeepTheFiveLatestPicksNewestFirst) {
    ASSERT_TRUE(createGameKey(*store));
    const std::vector<std::wstring> paths = {
        L"C:\\maps\\one.scm", L"C:\\maps\\two.scx", L"C:\\maps\\sub dir\\three.scm",
        L"/m/4.scm",          L"/m/5.scx",          L"/m/6.scm",
        L"/m/7.scx"};
    const MapCollection col = collectionOf(paths);
    // Position k of n is drawn by r = (k - 0.5) / n.
    std::vector<float> draws;
    for (std::size_t k = 1; k <= paths.size(); ++k) {
        draws.push_back((static_cast<float>(k) - 0.5f) / static_cast<float>(paths.size()));
    }
    random = std::make_shared<ScriptedRandom>(draws);
    RecentMapsUpdate scripted{store, random};

    std::vector<std::string> expected;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        scripted.modifyReg(col);
        expected.insert(expected.begin(), std::string(paths[i].begin(), paths[i].end()));
        if (expected.size() > 5) {
            expected.pop_back();
        }
        EXPECT_EQ(loadRecentMaps(*store), (StoredValue{7, multiString(expected)})) << i;
        // What the class reads back is exactly the entries, joined by single NULs.
        const std::wstring read = toText(scripted.registry().GetRegistryValue(kRecentMapsValue));
        EXPECT_EQ(splitPieces(read, 10).size(), expected.size());
    }
}

TEST_F(RecentMaps, AnEmptyCollectionReadsAndReseedsButWritesNothing) {
    ASSERT_TRUE(createGameKey(*store));
    storeRecentMaps(*store, 7, multiString({"a", "b"}));

    update.modifyReg(MapCollection{});

    EXPECT_GE(counted->queries, 1);
    EXPECT_EQ(counted->writes, 0);
    EXPECT_EQ(random->reseedCount, 1);
    EXPECT_EQ(random->drawCount, 0);
    EXPECT_EQ(loadRecentMaps(*store), (StoredValue{7, multiString({"a", "b"})}));
}

TEST_F(RecentMaps, ARefusedPickIsDrawnAgainAndNothingIsWrittenWhenEveryDrawIsRefused) {
    struct Case {
        std::set<std::wstring> refused;
        const char* written;  // null: nothing
        int draws;
    };
    const Case cases[] = {
        {{}, "/m/a.scm", 1},
        {{L"/m/a.scm"}, "/m/b.scm", 2},
        {{L"/m/a.scm", L"/m/b.scm"}, "/m/c.scm", 3},
        {{L"/m/a.scm", L"/m/b.scm", L"/m/c.scm"}, nullptr, kDrawsPerUpdate},
    };
    const MapCollection col = collectionOf({L"/m/a.scm", L"/m/b.scm", L"/m/c.scm"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.draws);
        auto fresh = std::make_shared<reg::PortableRegistryStore>();
        ASSERT_TRUE(createGameKey(*fresh));
        // The draws walk a, b, c, a, ...
        auto draws = std::make_shared<ScriptedRandom>(std::vector<float>{0.1f, 0.5f, 0.9f});
        RecentMapsUpdate checked{fresh, draws};
        checked.setPickCheck([&](const std::wstring& map) { return !c.refused.count(map); });

        checked.modifyReg(col);

        EXPECT_EQ(draws->reseedCount, 1);
        EXPECT_EQ(draws->drawCount, c.draws);
        if (c.written) {
            EXPECT_EQ(loadRecentMaps(*fresh), (StoredValue{7, multiString({c.written})}));
        } else {
            EXPECT_FALSE(loadRecentMaps(*fresh).has_value());
        }
    }
}

TEST_F(RecentMaps, AMissingGameKeyIsNeitherWrittenNorCreated) {
    update.modifyReg(collectionOf({L"/m/a.scm"}));

    EXPECT_EQ(counted->writes, 0);
    EXPECT_EQ(counted->creates, 0);
    EXPECT_FALSE(gameKeyExists(*store));
}

TEST_F(RecentMaps, EachUpdateReseedsOnceAndDrawsOnce) {
    ASSERT_TRUE(createGameKey(*store));
    const MapCollection col = collectionOf({L"/m/a.scm", L"/m/b.scm"});
    for (int i = 0; i < 3; ++i) {
        update.modifyReg(col);
    }
    EXPECT_EQ(random->reseedCount, 3);
    EXPECT_EQ(random->drawCount, 3);
    EXPECT_EQ(counted->queries, 3);
    EXPECT_EQ(counted->writes, 3);
}

TEST_F(RecentMaps, AOneMapCollectionIsPickedEveryTimeWithTheRealRandomSource) {
    ASSERT_TRUE(createGameKey(*store));
    RecentMapsUpdate real{store};
    const MapCollection col = collectionOf({L"/m/only.scx"});
    for (int i = 0; i < 50; ++i) {
        real.modifyReg(col);
    }
    EXPECT_EQ(loadRecentMaps(*store),
              (StoredValue{7, multiString({"/m/only.scx", "/m/only.scx", "/m/only.scx",
                                           "/m/only.scx", "/m/only.scx"})}));
}

TEST_F(RecentMaps, TheTickedBoxesChooseTheCollection) {
    auto lister = std::make_shared<FakeDirectoryLister>();
    lister->add(L"/m", {L"a.scm", L"b.scx", L"c.scm", L"d.scx"});
    Catalogue catalogue{lister};
    catalogue.rebuildCatalogue(L"/m");
    ASSERT_TRUE(createGameKey(*store));

    struct Case {
        bool scm;
        bool scx;
        std::vector<std::string> possible;  // empty: nothing is written
    };
    const Case cases[] = {
        {true, true, {"/m/a.scm", "/m/b.scx", "/m/c.scm", "/m/d.scx"}},
        {true, false, {"/m/a.scm", "/m/c.scm"}},
        {false, true, {"/m/b.scx", "/m/d.scx"}},
        {false, false, {}},
    };
    // Draws across the whole range reach every position of the chosen collection.
    random = std::make_shared<ScriptedRandom>(std::vector<float>{0.0f, 0.3f, 0.6f, 0.99f});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.scm) + "/" + std::to_string(c.scx));
        auto fresh = std::make_shared<reg::PortableRegistryStore>();
        ASSERT_TRUE(createGameKey(*fresh));
        RecentMapsUpdate chooser{fresh, random};
        std::set<std::string> picked;
        for (int i = 0; i < 4; ++i) {
            chooser.chooseList(c.scm, c.scx, catalogue);
            if (auto value = loadRecentMaps(*fresh)) {
                picked.insert(value->bytes.substr(0, value->bytes.find('\0')));
            }
        }
        if (c.possible.empty()) {
            EXPECT_FALSE(loadRecentMaps(*fresh).has_value());
        } else {
            EXPECT_EQ(picked, std::set<std::string>(c.possible.begin(), c.possible.end()));
        }
    }
}

TEST_F(RecentMaps, AnEmptyChosenCollectionIsCreatedAndWritesNothing) {
    ASSERT_TRUE(createGameKey(*store));
    Catalogue catalogue{std::make_shared<FakeDirectoryLister>()};
    update.chooseList(true, false, catalogue);
    update.chooseList(false, true, catalogue);
    update.chooseList(true, true, catalogue);
    EXPECT_EQ(counted->queries, 3);
    EXPECT_EQ(counted->writes, 0);
}

TEST(RecentMapsText, SplitsAtEveryNulAndStopsAtTheLimit) {
    EXPECT_TRUE(splitPieces(L"", 4).empty());
    EXPECT_EQ(splitPieces(L"abc", 4), std::vector<std::wstring>{L"abc"});
    EXPECT_EQ(splitPieces(std::wstring(L"a\0\0b", 4), 4),
              (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_EQ(splitPieces(std::wstring(L"a\0", 2), 4), (std::vector<std::wstring>{L"a", L""}));
    EXPECT_EQ(splitPieces(std::wstring(L"a\0b\0c\0d\0e", 9), 4),
              (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
}

}  // namespace
}  // namespace qrvl
