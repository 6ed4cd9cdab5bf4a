// Benchmarks of the map catalogue scan over a large tree and of one recent-maps update.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "map/catalogue.h"
#include "map/recent_maps.h"
#include "registry/portable_registry_store.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTopDirectories = 100;
constexpr int kSubDirectoriesEach = 99;
constexpr int kFilesPerDirectory = 10;

// 100 directories of 99 sub-directories each: 10,000 directories of 10 files, 100,000 files,
// every tenth a map (.scm and .scx in turn). Made once and kept for later runs; the same tree
// serves the comparison with find(1).
fs::path benchTree() {
    const fs::path root = fs::temp_directory_path() / "qrvl-bench-maps";
    const fs::path done = root / ".complete";
    if (fs::exists(done)) {
        return root;
    }
    fs::remove_all(root);
    int file = 0;
    auto fill = [&file](const fs::path& directory) {
        fs::create_directories(directory);
        for (int i = 0; i < kFilesPerDirectory; ++i, ++file) {
            std::string name = "file";
            name += std::to_string(file);
            if (file % 10 == 0) {
                name += (file / 10) % 2 == 0 ? ".scm" : ".scx";
            } else {
                name += ".txt";
            }
            std::ofstream(directory / name).put('x');
        }
    };
    for (int top = 0; top < kTopDirectories; ++top) {
        std::string topName = "d";
        topName += std::to_string(top);
        const fs::path topPath = root / topName;
        fill(topPath);
        for (int sub = 0; sub < kSubDirectoriesEach; ++sub) {
            std::string subName = "s";
            subName += std::to_string(sub);
            fill(topPath / subName);
        }
    }
    std::ofstream(done).put('x');
    std::printf("generated %s\n", root.string().c_str());
    return root;
}

void BM_CatalogueScan(benchmark::State& state) {
    const std::wstring text = benchTree().wstring();
    qrvl::Catalogue catalogue;
    for (auto _ : state) {
        catalogue.rebuildCatalogue(text);
        benchmark::DoNotOptimize(catalogue.allMaps().Count());
    }
    if (catalogue.allMaps().Count() != 10000) {
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
