// Cold reading of every map of the corpus against a floor that reads each file's bytes whole, in
// the same order and the same process under Wine, alternating runs.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "map/catalogue.h"
#include "mapfile/map_reader.h"

namespace {

// The least any reader must do: open, read the whole file, close.
std::size_t readWhole(const std::wstring& path, std::vector<char>& buffer) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    buffer.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr);
    CloseHandle(file);
    return got;
}

}  // namespace

// map_read_bench [runs] [corpus]: the corpus defaults to the one bench/measure_map_reading.sh
// makes.
int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 9;
    const std::wstring root = argc > 2 ? argv[2] : L"Z:\\tmp\\qrvl-bench-corpus";

    std::vector<std::wstring> maps;
    qrvl::Catalogue catalogue;
    catalogue.setMapObserver(
        [&maps](const qrvl::CataloguedMap& map) { maps.push_back(*map.file.path); });
    catalogue.rebuildCatalogue(root);
    if (maps.empty()) {
        std::fprintf(stderr, "no maps under %ls\n", root.c_str());
        return 1;
    }

    std::size_t floorBytes = 0;
    std::size_t readable = 0;
    std::vector<char> buffer;
    auto floor = [&] {
        floorBytes = 0;
        for (const auto& path : maps)
            floorBytes += readWhole(path, buffer);
    };
    auto read = [&] {
        readable = 0;
        for (const auto& path : maps)
            readable += qrvl::readMapFile(path).info.has_value();
    };
    floor();  // warms the file system's caches for both
    std::vector<double> floorTimes;
    std::vector<double> readTimes;
    qrvl::bench::timeAlternating(runs, "reading", read, readTimes, floor, floorTimes);
    std::printf("%zu maps, %zu read, %.1f MiB\n", maps.size(), readable,
                static_cast<double>(floorBytes) / (1 << 20));
    qrvl::bench::printComparison("reading every map", readTimes, "reading bytes whole", floorTimes);
    return readable == maps.size() ? 0 : 1;
}
