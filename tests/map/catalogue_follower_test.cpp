// The catalogue following its directory over a scripted watch: what counts as a change of maps,
// settling, moving the watch, rebuilds that never nest, and maps seen removed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "map/catalogue_follower.h"
#include "tests/map/fake_directory_lister.h"
#include "tests/map/fake_directory_watch.h"
#include "tests/map/map_items.h"

namespace qrvl {
namespace {

using Action = WatchedChange::Action;

using test::items;

// The window's side: a posted wake-up is counted, the settle timer is a value the test fires.
struct FakeFollowerHost final : FollowerHost {
    void PostWatchChanges() override { ++posts; }
    void StartSettleTimer(std::uint32_t milliseconds) override {
        ++timerStarts;
        timer = milliseconds;
    }
    void StopSettleTimer() override { timer.reset(); }

    int posts = 0;
    int timerStarts = 0;
    std::optional<std::uint32_t> timer;
};

struct Follower : ::testing::Test {
    Follower() {
        lister->add(L"/m", {L"a.scm", L"b.scx"}, {L"sub", L"more"});
        lister->add(L"/m/sub", {L"c.scm"});
        lister->add(L"/m/more", {});
    }

    // One wake-up's changes, delivered as the window's loop would deliver them.
    void see(const std::vector<WatchedChange>& changes) {
        for (const WatchedChange& change : changes) {
            watch->push(change);
        }
        follower.changesWaiting();
    }
    // The settle timer runs out, when it is running.
    void settle() {
        if (std::exchange(host.timer, std::nullopt)) {
            follower.settled();
        }
    }
    int rebuilds() const {
        return static_cast<int>(std::count(lister->opened.begin(), lister->opened.end(), L"/m"));
    }

    std::shared_ptr<FakeDirectoryLister> lister = std::make_shared<FakeDirectoryLister>();
    std::shared_ptr<FakeDirectoryWatch> watch = std::make_shared<FakeDirectoryWatch>();
    Catalogue catalogue{lister};
    FakeFollowerHost host;
    CatalogueFollower follower{catalogue, watch, host};
};

TEST_F(Follower, MapsAndDirectoriesCountAsChangesOtherFilesDoNot) {
    struct Case {
        Action action;
        bool directory;
        const wchar_t* name;
        bool counts;
        bool removes;  // a map may be gone: drawn maps must be found on disk
    };
    const Case cases[] = {
        {Action::Added, false, L"new.scm", true, false},
        {Action::Added, false, L"sub\\deep\\new.scx", true, false},
        {Action::RenamedTo, false, L"was-a-text-file.scx", true, false},
        {Action::Removed, false, L"a.scm", true, true},
        {Action::RenamedFrom, false, L"sub\\c.scm", true, true},
        {Action::Added, false, L"readme.txt", false, false},
        {Action::Removed, false, L"A.SCM", false, false},
        {Action::RenamedFrom, false, L"a.scm.bak", false, false},
        {Action::Added, false, L"old.scm\\notes.txt", false, false},
        {Action::Added, false, L"scm", false, false},
        {Action::Added, true, L"unpacked", true, false},
        {Action::RenamedTo, true, L"sub\\renamed", true, false},
        {Action::Removed, true, L"more", true, true},
        {Action::RenamedFrom, true, L"sub", true, true},
        {Action::Lost, false, L"", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)) + " " +
                     std::to_string(static_cast<int>(c.action)));
        FakeFollowerHost fresh;
        CatalogueFollower follows{catalogue, watch, fresh};
        follows.follow(L"/m");
        watch->asked.clear();

        watch->push({c.action, c.directory, c.name});
        follows.changesWaiting();

        EXPECT_EQ(fresh.posts, 1);
        EXPECT_EQ(fresh.timer,
                  c.counts ? std::optional<std::uint32_t>(kSettleMilliseconds) : std::nullopt);
        EXPECT_EQ(follows.mayPick(L"/m/a.scm"), !c.removes);
        EXPECT_EQ(watch->asked.size(), c.removes ? 1u : 0u);
    }
}

TEST_F(Follower, ABurstCostsOneRebuildOnceItSettlesAndOtherFilesCostNone) {
    follower.follow(L"/m");
    ASSERT_EQ(rebuilds(), 1);

    for (int batch = 0; batch < 50; ++batch) {
        std::vector<WatchedChange> changes;
        for (int i = 0; i < 100; ++i) {
            const std::wstring name = L"pack\\" + std::to_wstring(batch * 100 + i);
            changes.push_back({Action::Added, false, name + L".scm"});
            changes.push_back({Action::Added, false, name + L".txt"});
        }
        see(changes);
        EXPECT_EQ(host.timer, kSettleMilliseconds);
    }
    EXPECT_EQ(host.posts, 50);
    EXPECT_EQ(host.timerStarts, 50);
    EXPECT_EQ(rebuilds(), 1);
    settle();
    EXPECT_EQ(rebuilds(), 2);

    for (int batch = 0; batch < 50; ++batch) {
        see({{Action::Added, false, L"notes.txt"}, {Action::Removed, false, L"old.SCX"}});
    }
    EXPECT_FALSE(host.timer.has_value());
    follower.settled();  // a timer message that was already on its way
    EXPECT_EQ(rebuilds(), 2);
}

TEST_F(Follower, TheWatchBeginsBeforeTheScanAndASettledRebuildIsTheScanOfTheCurrentText) {
    // Changes made while the first scan walks are seen: the watch began before the scan did.
    catalogue.setYield([this] { watch->push({Action::Added, false, L"more\\late.scm"}); });
    follower.follow(L"/m");
    catalogue.setYield(nullptr);
    follower.changesWaiting();
    EXPECT_EQ(host.timer, kSettleMilliseconds);

    lister->nodes[L"/m/sub"].files.push_back({L"d.scx", L"/m/sub/d.scx"});
    lister->nodes[L"/m"].files.erase(lister->nodes[L"/m"].files.begin());
    see({{Action::Added, false, L"sub\\d.scx"}, {Action::Removed, false, L"a.scm"}});
    settle();

    Catalogue fresh{lister};
    fresh.rebuildCatalogue(L"/m");
    EXPECT_THAT(items(catalogue.allMaps()),
                ::testing::ElementsAre(L"/m/b.scx", L"/m/sub/c.scm", L"/m/sub/d.scx"));
    EXPECT_EQ(items(catalogue.allMaps()), items(fresh.allMaps()));
    EXPECT_EQ(items(catalogue.scmMaps()), items(fresh.scmMaps()));
    EXPECT_EQ(items(catalogue.scxMaps()), items(fresh.scxMaps()));
    EXPECT_EQ(watch->watched, std::vector<std::wstring>{L"/m"});
}

TEST_F(Follower, TheTimerRunningOutDuringARebuildWaitsForItRatherThanNesting) {
    follower.follow(L"/m");
    see({{Action::Added, false, L"x.scm"}});
    int yields = 0;
    catalogue.setYield([&] {
        if (++yields == 1) {
            see({{Action::Added, false, L"y.scm"}});
            settle();
        }
    });
    settle();
    EXPECT_EQ(rebuilds(), 2);
    EXPECT_EQ(host.timer, kSettleMilliseconds);
    settle();
    EXPECT_EQ(rebuilds(), 3);
}

TEST_F(Follower, ANewTextMovesTheWatchAndDropsTheOldDirectorysPendingRebuild) {
    lister->add(L"/other", {L"z.scm"});
    follower.follow(L"/m");
    see({{Action::Added, false, L"x.scm"}});
    ASSERT_TRUE(host.timer.has_value());

    follower.follow(L"/other");
    EXPECT_FALSE(host.timer.has_value());
    follower.settled();
    EXPECT_EQ(rebuilds(), 1);
    EXPECT_EQ(watch->watched, (std::vector<std::wstring>{L"/m", L"/other"}));
    EXPECT_THAT(items(catalogue.allMaps()), ::testing::ElementsAre(L"/other/z.scm"));
}

TEST_F(Follower, ADirectoryThatCannotBeWatchedIsScannedAsBefore) {
    watch->watchable = false;
    follower.follow(L"/m");
    see({{Action::Added, false, L"x.scm"}});
    EXPECT_EQ(host.posts, 0);
    EXPECT_FALSE(host.timer.has_value());
    EXPECT_THAT(items(catalogue.allMaps()),
                ::testing::ElementsAre(L"/m/a.scm", L"/m/b.scx", L"/m/sub/c.scm"));
}

TEST_F(Follower, MapsSeenRemovedAreAskedOnDiskUntilARebuildBegunAfterwardsHasEnded) {
    watch->files = {L"/m/b.scx", L"/m/sub/c.scm"};
    follower.follow(L"/m");
    see({{Action::Removed, false, L"a.scm"}});
    EXPECT_FALSE(follower.mayPick(L"/m/a.scm"));
    // A short path of a map that is still there passes; one whose file is gone does not.
    watch->files.insert(L"/m/B~1.SCX");
    EXPECT_TRUE(follower.mayPick(L"/m/B~1.SCX"));
    EXPECT_FALSE(follower.mayPick(L"/m/A~1.SCM"));

    // A removal seen while the rebuild walks may concern a map it had already listed.
    catalogue.setYield([this] { see({{Action::RenamedFrom, false, L"sub\\c.scm"}}); });
    settle();
    catalogue.setYield(nullptr);
    watch->files.erase(L"/m/sub/c.scm");
    EXPECT_FALSE(follower.mayPick(L"/m/sub/c.scm"));

    settle();
    watch->asked.clear();
    EXPECT_TRUE(follower.mayPick(L"/m/sub/c.scm"));
    EXPECT_TRUE(watch->asked.empty());
}

}  // namespace
}  // namespace qrvl
