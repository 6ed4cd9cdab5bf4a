// The catalogue scan against the floor walk, in one process under Wine, alternating runs.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/bench_tree.h"
#include "bench/floor_walk_win32.h"
#include "bench/timing.h"
#include "map/catalogue.h"
#include "ui/win32/message_loop.h"

// scan_bench [runs] [directory]: the directory defaults to the standard tree, made on first use.
int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 9;
    std::wstring root = argc > 2 ? argv[2] : L"Z:\\tmp\\qrvl-bench-maps";
    if (argc <= 2) {
        root = qrvl::bench::benchTree(root).wstring();
    }

    // The scan yields to a window's messages as qrvl.exe's does, so the queue must exist.
    CreateWindowExW(0, L"STATIC", L"scan_bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                    nullptr);
    qrvl::Catalogue catalogue;
    catalogue.setYield(qrvl::win32::pumpPendingMessages);

    std::size_t floorMaps = 0;
    auto floor = [&] { floorMaps = qrvl::bench::floorWalk(root); };
    auto scan = [&] { catalogue.rebuildCatalogue(root); };
    floor();  // warms the file system's caches for both
    std::vector<double> floorTimes;
    std::vector<double> scanTimes;
    qrvl::bench::timeAlternating(runs, "scan", scan, scanTimes, floor, floorTimes);
    const auto maps = static_cast<std::size_t>(catalogue.allMaps().Count());
    std::printf("%zu maps found by the scan, %zu by the floor walk\n", maps, floorMaps);
    qrvl::bench::printComparison("catalogue scan", scanTimes, "floor walk", floorTimes);
    return maps == floorMaps ? 0 : 1;
}
