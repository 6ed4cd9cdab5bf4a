// Catalogue scan over a scripted tree: map naming, walk order, failures, rebuilds and loops.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "map/catalogue.h"
#include "tests/map/fake_ansi_path_api.h"
#include "tests/map/fake_directory_lister.h"
#include "tests/map/map_items.h"
#include "tests/map/stepped_clock.h"

namespace qrvl {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using test::items;

struct CatalogueScan : ::testing::Test {
    std::shared_ptr<FakeDirectoryLister> lister = std::make_shared<FakeDirectoryLister>();
    // A full yield interval passes between any two sub-directories, so every one of them yields.
    Catalogue catalogue{lister, systemAnsiPathApi(),
                        std::make_shared<SteppedClock>(0, kCatalogueYieldNanoseconds)};
    int yields = 0;

    void countYields() {
        catalogue.setYield([this] { ++yields; });
    }
};

TEST(MapKind, OnlyTheLastFourCharactersCountCaseSensitively) {
    struct Case {
        const wchar_t* name;
        MapKind kind;
    };
    const Case cases[] = {
        {L"a.scm", MapKind::Starcraft}, {L"a.scx", MapKind::BroodWar},
        {L".scm", MapKind::Starcraft},  {L".scx", MapKind::BroodWar},
        {L"scm", MapKind::None},        {L"", MapKind::None},
        {L"a.SCM", MapKind::None},      {L"a.Scx", MapKind::None},
        {L"a.scmx", MapKind::None},     {L"a.scm.bak", MapKind::None},
        {L"x.scm ", MapKind::None},     {L"map.scx.scm", MapKind::Starcraft},
        {L"noext", MapKind::None},      {L"a.sc", MapKind::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mapKindOf(c.name), c.kind)
            << "name: " << std::string(c.name, c.name + wcslen(c.name));
    }
}

TEST_F(CatalogueScan, FilesComeFirstInListingOrderThenSubDirectoriesDepthFirst) {
    lister->add(L"/m", {L"b.scx", L"a.scm", L"notes.txt"}, {L"sub", L"later"});
    lister->add(L"/m/sub", {L"c.scm"}, {L"deep"});
    lister->add(L"/m/sub/deep", {L"d.scx"});
    lister->add(L"/m/later", {L"e.scm"});

    catalogue.rebuildCatalogue(L"/m");

    EXPECT_THAT(items(catalogue.allMaps()), ElementsAre(L"/m/b.scx", L"/m/a.scm", L"/m/sub/c.scm",
                                                        L"/m/sub/deep/d.scx", L"/m/later/e.scm"));
    EXPECT_THAT(items(catalogue.scxMaps()), ElementsAre(L"/m/b.scx", L"/m/sub/deep/d.scx"));
    EXPECT_THAT(items(catalogue.scmMaps()),
                ElementsAre(L"/m/a.scm", L"/m/sub/c.scm", L"/m/later/e.scm"));
}

TEST_F(CatalogueScan, ATreeWithoutMapsYieldsOncePerSubDirectoryAndStaysEmpty) {
    lister->add(L"/m", {L"readme"}, {L"a", L"b"});
    lister->add(L"/m/a", {}, {L"x", L"y"});
    lister->add(L"/m/a/x", {L"x.txt"});
    lister->add(L"/m/a/y", {});
    lister->add(L"/m/b", {});
    countYields();

    catalogue.rebuildCatalogue(L"/m");

    EXPECT_EQ(yields, 4);
    EXPECT_EQ(catalogue.allMaps().Count(), 0);
    EXPECT_EQ(catalogue.scmMaps().Count(), 0);
    EXPECT_EQ(catalogue.scxMaps().Count(), 0);
}

TEST_F(CatalogueScan, ADirectoryThatCannotBeOpenedLeavesTheCatalogueEmpty) {
    lister->add(L"/m", {L"a.scm"});
    countYields();
    for (const wchar_t* text : {L"", L"/nowhere", L"/m/a.scm"}) {
        catalogue.rebuildCatalogue(L"/m");
        catalogue.rebuildCatalogue(text);
        EXPECT_EQ(catalogue.allMaps().Count(), 0);
        EXPECT_EQ(catalogue.scmMaps().Count(), 0);
    }
    EXPECT_EQ(yields, 0);
}

TEST(CatalogueYield, ComesBeforeTheFirstSubDirectoryThenOnceTheIntervalHasPassed) {
    struct Case {
        std::uint64_t clockStep;
        int yieldsInTwoRebuilds;
    };
    const Case cases[] = {
        {0, 2},                               // a stopped clock: each rebuild's first only
        {kCatalogueYieldNanoseconds / 2, 6},  // every other of six sub-directories
        {kCatalogueYieldNanoseconds - 1, 6},  // just short of the interval: the same
        {kCatalogueYieldNanoseconds, 12},     // the interval itself: every one
        {~std::uint64_t{0} - 1'000'000, 12},  // a clock that runs back: every one
    };
    for (const Case& c : cases) {
        auto lister = std::make_shared<FakeDirectoryLister>();
        lister->add(L"/m", {}, {L"1", L"2", L"3", L"4", L"5", L"6"});
        Catalogue catalogue(lister, systemAnsiPathApi(),
                            std::make_shared<SteppedClock>(1'000'000'000, c.clockStep));
        int yields = 0;
        catalogue.setYield([&] { ++yields; });
        catalogue.rebuildCatalogue(L"/m");
        catalogue.rebuildCatalogue(L"/m");
        EXPECT_EQ(yields, c.yieldsInTwoRebuilds) << "clock step " << c.clockStep;
    }
}

TEST_F(CatalogueScan, EachFailureSkipsOnlyWhatItCannotRead) {
    lister->add(L"/m", {L"top.scm"}, {L"gone", L"nofiles", L"nosubs", L"badfile", L"last"});
    // "gone" is listed but cannot be opened: neither it nor anything below it counts.
    lister->add(L"/m/gone/inner", {L"never.scm"});
    lister->add(L"/m/nofiles", {L"hidden.scm"}, {L"child"}).filesUnreadable = true;
    lister->add(L"/m/nofiles/child", {L"child.scx"});
    lister->add(L"/m/nosubs", {L"own.scm"}, {L"skipped"}).subDirectoriesUnreadable = true;
    lister->add(L"/m/nosubs/skipped", {L"skipped.scm"});
    auto& bad = lister->add(L"/m/badfile", {L"ok.scx"});
    bad.files.insert(bad.files.begin(), DirectoryFile{L"lost.scm", std::nullopt});
    lister->add(L"/m/last", {L"last.scx"});
    countYields();

    catalogue.rebuildCatalogue(L"/m");

    EXPECT_THAT(items(catalogue.allMaps()),
                ElementsAre(L"/m/top.scm", L"/m/nofiles/child/child.scx", L"/m/nosubs/own.scm",
                            L"/m/badfile/ok.scx", L"/m/last/last.scx"));
    EXPECT_EQ(catalogue.allMaps().Count(),
              catalogue.scmMaps().Count() + catalogue.scxMaps().Count());
    // One yield per listed sub-directory, the unopenable one included.
    EXPECT_EQ(yields, 6);
}

TEST_F(CatalogueScan, ARebuildDropsEveryPathOfThePreviousDirectory) {
    lister->add(L"/old", {L"o.scm", L"o.scx"});
    lister->add(L"/new", {L"n.scx"});

    catalogue.rebuildCatalogue(L"/old");
    ASSERT_EQ(catalogue.allMaps().Count(), 2);
    catalogue.rebuildCatalogue(L"/new");

    EXPECT_THAT(items(catalogue.allMaps()), ElementsAre(L"/new/n.scx"));
    EXPECT_THAT(items(catalogue.scxMaps()), ElementsAre(L"/new/n.scx"));
    EXPECT_THAT(items(catalogue.scmMaps()), IsEmpty());
}

TEST_F(CatalogueScan, ARebuildStartedInsideAYieldEndsTheInterruptedScan) {
    lister->add(L"/old", {L"o1.scm"}, {L"a", L"b"});
    lister->add(L"/old/a", {L"o2.scm"}, {L"deeper"});
    lister->add(L"/old/a/deeper", {L"o3.scx"});
    lister->add(L"/old/b", {L"o4.scx"});
    lister->add(L"/new", {L"n1.scm"}, {L"s"});
    lister->add(L"/new/s", {L"n2.scx"});

    // The directory text changes at the second yield, deep inside the old walk.
    int yields = 0;
    catalogue.setYield([&] {
        if (++yields == 2) {
            catalogue.rebuildCatalogue(L"/new");
        }
    });
    catalogue.rebuildCatalogue(L"/old");

    EXPECT_THAT(items(catalogue.allMaps()), ElementsAre(L"/new/n1.scm", L"/new/s/n2.scx"));
    EXPECT_THAT(items(catalogue.scmMaps()), ElementsAre(L"/new/n1.scm"));
    EXPECT_THAT(items(catalogue.scxMaps()), ElementsAre(L"/new/s/n2.scx"));
    // The old walk opened nothing after the text changed.
    EXPECT_THAT(lister->opened, ElementsAre(L"/old", L"/old/a", L"/new", L"/new/s"));
}

TEST_F(CatalogueScan, ARebuildOfTheSameTextInsideAYieldGivesEachMapOnce) {
    lister->add(L"/m", {L"a.scm"}, {L"s", L"t"});
    lister->add(L"/m/s", {L"b.scm"});
    lister->add(L"/m/t", {L"c.scx"});
    bool again = true;
    catalogue.setYield([&] {
        if (again) {
            again = false;
            catalogue.rebuildCatalogue(L"/m");
        }
    });

    catalogue.rebuildCatalogue(L"/m");

    EXPECT_THAT(items(catalogue.allMaps()), ElementsAre(L"/m/a.scm", L"/m/s/b.scm", L"/m/t/c.scx"));
}

TEST_F(CatalogueScan, AnUpdateDuringAYieldSeesTheMapsFoundSoFar) {
    lister->add(L"/m", {L"a.scm"}, {L"s"});
    lister->add(L"/m/s", {L"b.scm"});
    std::vector<std::int32_t> seen;
    catalogue.setYield([&] { seen.push_back(catalogue.allMaps().Count()); });

    catalogue.rebuildCatalogue(L"/m");

    EXPECT_THAT(seen, ElementsAre(1));
    EXPECT_EQ(catalogue.allMaps().Count(), 2);
}

TEST_F(CatalogueScan, EveryMapIsKeptUnderAPathTheGamesAnsiCallsCanOpenOrLeftOutAndCounted) {
    const std::wstring fits(252, L'f');     // "/m/", this and ".scm": 259 characters
    const std::wstring tooLong(253, L'g');  // 260
    struct Case {
        std::wstring name;
        std::optional<std::wstring> shortName;
        std::optional<std::wstring> kept;  // nullopt: left out
    };
    const Case cases[] = {
        {L"caf\u00e9.scm", L"/m/CAF_~1.SCM", L"/m/caf\u00e9.scm"},
        {L"\u041a\u0430\u0440\u0442\u0430.scx", L"/m/____~1.SCX", L"/m/____~1.SCX"},
        {L"\uc9c0\ub3c4.scm", std::nullopt, std::nullopt},
        // Without 8.3 names on the volume the short form is the long one.
        {L"\uc9c0\ub3c4 2.scx", L"/m/\uc9c0\ub3c4 2.scx", std::nullopt},
        {fits + L".scm", std::nullopt, L"/m/" + fits + L".scm"},
        {tooLong + L".scx", L"/m/GGGG~1.SCX", L"/m/GGGG~1.SCX"},
        {tooLong + L".scm", std::nullopt, std::nullopt},
        {tooLong + L"2.scm", L"/" + tooLong + L"/G.SCM", std::nullopt},
    };
    auto api = std::make_shared<test::FakeAnsiPathApi>();
    std::vector<std::wstring> names;
    std::vector<std::wstring> kept;
    for (const Case& c : cases) {
        names.push_back(c.name);
        if (c.shortName) {
            api->shortNames[L"/m/" + c.name] = *c.shortName;
        }
        if (c.kept) {
            kept.push_back(*c.kept);
        }
    }
    lister->add(L"/m", names);
    lister->add(L"/n", {L"n.scm"});
    Catalogue spelled{lister, api};

    spelled.rebuildCatalogue(L"/m");
    EXPECT_EQ(items(spelled.allMaps()), kept);
    // The kind comes from the file's own name, never from its short form.
    EXPECT_THAT(items(spelled.scxMaps()), ElementsAre(L"/m/____~1.SCX", L"/m/GGGG~1.SCX"));
    EXPECT_EQ(spelled.leftOutMaps(), 4);

    spelled.rebuildCatalogue(L"/n");
    EXPECT_EQ(spelled.leftOutMaps(), 0);
}

TEST_F(CatalogueScan, ALoopThroughLinksEndsWithEachDirectoryWalkedOnce) {
    // /m/loop and /m/sub/back are links to /m; /m/sub/alias is a second path to /m/sub.
    lister->add(L"/m", {L"a.scm"}, {L"sub", L"loop"});
    lister->add(L"/m/sub", {L"b.scx"}, {L"back", L"alias"});
    lister->add(L"/m/sub/back", {L"a.scm"}, {L"sub", L"loop"}).identity = "/m";
    lister->add(L"/m/sub/alias", {L"b.scx"}, {L"back", L"alias"}).identity = "/m/sub";
    lister->add(L"/m/loop", {L"a.scm"}, {L"sub", L"loop"}).identity = "/m";
    countYields();

    catalogue.rebuildCatalogue(L"/m");

    EXPECT_THAT(items(catalogue.allMaps()), ElementsAre(L"/m/a.scm", L"/m/sub/b.scx"));
    EXPECT_EQ(yields, 4);
}

TEST_F(CatalogueScan, EachRebuildWalksLinkedDirectoriesAfresh) {
    lister->add(L"/m", {L"a.scm"});
    catalogue.rebuildCatalogue(L"/m");
    catalogue.rebuildCatalogue(L"/m");
    EXPECT_THAT(items(catalogue.allMaps()), ElementsAre(L"/m/a.scm"));
}

}  // namespace
}  // namespace qrvl
