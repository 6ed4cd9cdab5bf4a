// Benchmarks of the map catalogue scan over a large tree and of one recent-maps update.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_tree.h"
#include "map/catalogue.h"
#include "map/recent_maps.h"
#include "registry/portable_registry_store.h"

namespace fs = std::filesystem;

namespace {

void BM_CatalogueScan(benchmark::State& state) {
    const std::wstring text =
        qrvl::bench::benchTree(fs::temp_directory_path() / "qrvl-bench-maps").wstring();
    qrvl::Catalogue catalogue;
    for (auto _ : state) {
        catalogue.rebuildCatalogue(text);
        benchmark::DoNotOptimize(catalogue.allMaps().Count());
    }
    if (catalogue.allMaps().Count() != qrvl::bench::kBenchTreeMaps) {
        state.SkipWithError("the tree does not hold 10,000 maps");
    }
    state.counters["maps"] = catalogue.allMaps().Count();
}
BENCHMARK(BM_CatalogueScan)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RecentMapsUpdate(benchmark::State& state) {
    auto store = std::make_shared<qrvl::reg::PortableRegistryStore>();
    qrvl::reg::Handle key = 0;
    std::uint32_t disposition = 0;
    store->RegCreateKeyExA(qrvl::reg::kCurrentUser, "software\\Blizzard Entertainment\\Starcraft",
                           0, nullptr, 0, qrvl::reg::kKeyAllAccess, nullptr, &key, &disposition);
    store->RegCloseKey(key);
    qrvl::MapCollection col;
    for (int i = 0; i < 100000; ++i) {
        std::wstring path = L"C:\\Program Files\\Starcraft\\Maps\\Download\\pack";
        path += std::to_wstring(i / 100);
        path += L"\\map";
        path += std::to_wstring(i);
        path += i % 2 == 0 ? L".scm" : L".scx";
        col.Add(std::move(path));
    }
    qrvl::RecentMapsUpdate update(store);
    for (auto _ : state) {
        update.modifyReg(col);
    }
}
BENCHMARK(BM_RecentMapsUpdate)->Unit(benchmark::kMicrosecond);

}  // namespace
