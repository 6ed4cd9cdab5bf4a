// A long run of recent-maps updates over a large catalogue through the real advapi32: neither
// memory nor handles may grow, as the program runs for days with a tick every two seconds.
#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "map/catalogue.h"
#include "map/recent_maps.h"
#include "tests/ui/gui_support.h"

namespace qrvl {
namespace {

constexpr int kMaps = 10000;
constexpr int kUpdates = 100000;
constexpr int kWarmUp = 2000;
// Allocator pools and Wine's own caches settle during the warm-up; after it a leak of even a
// few bytes per update would pass this over the run.
constexpr SIZE_T kMemoryToleranceBytes = 512 * 1024;
constexpr DWORD kHandleTolerance = 2;

struct Usage {
    SIZE_T privateBytes;
    DWORD handles;
};

// Handles in use, by asking about every small handle value. Wine answers
// GetProcessHandleCount with 0 and hands out handles as small multiples of four.
DWORD probedHandleCount() {
    DWORD count = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

Usage usage() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    // Wine leaves PrivateUsage at 0; PagefileUsage is the same private commit charge.
    return {std::max(counters.PrivateUsage, counters.PagefileUsage),
            handles != 0 ? handles : probedHandleCount()};
}

TEST(RecentMapsSoak, HundredThousandUpdatesOnTenThousandMapsLeakNeitherMemoryNorHandles) {
    gui_test::ScratchFolder folder(L"soak");
    for (int i = 0; i < kMaps; ++i) {
        folder.touch(L"maps\\" + std::to_wstring(i % 100) + L"\\map" + std::to_wstring(i) +
                     (i % 2 ? L".scx" : L".scm"));
    }
    gui_test::GameKey game;
    Catalogue catalogue;
    catalogue.rebuildCatalogue(folder.text() + L"\\maps\\");
    ASSERT_EQ(catalogue.allMaps().Count(), kMaps);

    RecentMapsUpdate update;
    for (int i = 0; i < kWarmUp; ++i)
        update.chooseList(true, true, catalogue);
    const Usage start = usage();
    for (int i = 0; i < kUpdates; ++i)
        update.chooseList(i % 3 != 0, i % 3 != 1, catalogue);
    const Usage end = usage();

    const auto recent = game.recentMaps();
    ASSERT_EQ(recent.size(), 5u);
    RecordProperty("private_bytes_start", std::to_string(start.privateBytes));
    RecordProperty("private_bytes_end", std::to_string(end.privateBytes));
    RecordProperty("handles_start", std::to_string(start.handles));
    RecordProperty("handles_end", std::to_string(end.handles));
    std::printf("private bytes %zu -> %zu, handles %lu -> %lu\n",
                static_cast<std::size_t>(start.privateBytes),
                static_cast<std::size_t>(end.privateBytes),
                static_cast<unsigned long>(start.handles), static_cast<unsigned long>(end.handles));
    ASSERT_GT(start.privateBytes, 0u);
    ASSERT_GT(start.handles, 0u);
    EXPECT_LE(end.privateBytes, start.privateBytes + kMemoryToleranceBytes);
    EXPECT_LE(end.handles, start.handles + kHandleTolerance);
}

}  // namespace
}  // namespace qrvl
