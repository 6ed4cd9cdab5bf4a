// The Windows watch on a share that will not be watched, or that drops its connection mid-watch:
// the program goes on without watching, nothing spins, and a new watch starts afresh.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "map/directory_watch_win32.h"
#include "tests/map/faulty_watch_calls_win32.h"
#include "tests/scratch_folder.h"

namespace qrvl::test {
namespace {

using namespace std::chrono_literals;
using Action = WatchedChange::Action;

bool waitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

struct WatchFaults : ::testing::Test {
    // Takes changes until one with `action` has come, or gives up.
    bool cameIn(Action action) {
        return waitFor([&] {
            for (const WatchedChange& change : watch->takeChanges()) {
                if (change.action == action) {
                    return true;
                }
            }
            return false;
        });
    }

    ScratchFolder folder{L"watch"};
    std::shared_ptr<FaultyWatchCalls> calls = std::make_shared<FaultyWatchCalls>();
    std::shared_ptr<DirectoryWatch> watch = win32DirectoryWatch(calls);
    std::atomic<int> wakes{0};
    std::function<void()> wake = [this] { ++wakes; };
};

TEST_F(WatchFaults, AShareThatRefusesToBeWatchedIsNotWatched) {
    for (const DWORD refusal : {ERROR_INVALID_FUNCTION, ERROR_NOT_SUPPORTED}) {
        calls->refusal = refusal;
        EXPECT_FALSE(watch->watch(folder.text(), wake));
        folder.touch(L"a" + std::to_wstring(refusal) + L".scm");
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(wakes, 0);
        EXPECT_TRUE(watch->takeChanges().empty());
    }
}

TEST_F(WatchFaults, AShareThatDropsItsConnectionEndsTheWatchWithoutSpinningUntilWatchedAgain) {
    ASSERT_TRUE(watch->watch(folder.text(), wake));
    folder.touch(L"before.scm");
    ASSERT_TRUE(cameIn(Action::Added));

    calls->dropped = ERROR_NETNAME_DELETED;
    folder.touch(L"dropped.scm");
    std::filesystem::create_directory(folder.path() / "dropped");
    EXPECT_TRUE(cameIn(Action::Lost));
    // Both readers ended (each told of its loss): later changes ask for nothing more, and
    // nothing comes of them.
    std::this_thread::sleep_for(200ms);
    watch->takeChanges();
    const int reads = calls->reads;
    const int results = calls->results;
    const int woken = wakes;
    for (int i = 0; i < 20; ++i) {
        folder.touch(L"after" + std::to_wstring(i) + L".scm");
    }
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(calls->reads, reads);
    EXPECT_EQ(calls->results, results);
    EXPECT_EQ(wakes, woken);
    EXPECT_TRUE(watch->takeChanges().empty());

    // The share is back, and the folder is chosen again.
    calls->dropped = 0;
    ASSERT_TRUE(watch->watch(folder.text(), wake));
    folder.touch(L"back.scm");
    EXPECT_TRUE(cameIn(Action::Added));
}

}  // namespace
}  // namespace qrvl::test
