// Cold reading of every map of the corpus against a floor that reads each file's bytes whole, in
// the same order and the same process under Wine, alternating runs; then where reading's time
// goes; then the reading thread's cold reading with 100 marks against the same without marks.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/timing.h"
#include "map/catalogue.h"
#include "mapfile/map_marks.h"
#include "mapfile/map_reader.h"
#include "mapfile/map_reading_worker.h"
#include "mapfile/mpq_archive.h"
#include "mapfile/scenario_reader.h"

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

// The open and close alone, without a byte read.
bool openOnly(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    CloseHandle(file);
    return true;
}

// The scenario's bytes decoded whole, for timing the parse alone.
std::vector<std::uint8_t> decodedScenario(std::span<const std::uint8_t> file) {
    qrvl::ScenarioCandidates candidates(file);
    std::unique_ptr<qrvl::ByteSource> scenario = candidates.next();
    std::vector<std::uint8_t> bytes(scenario ? scenario->size() : 0);
    if (scenario && !scenario->read(0, bytes))
        bytes.clear();
    return bytes;
}

// Where cold reading's time goes, each part timed on its own in the same runs: listing the
// corpus, opening and closing each file, reading its bytes (the whole read less the opening),
// decoding (reading the maps from bytes in memory, less parsing) and parsing (the section walk
// and the strings over a scenario already decoded).
void printBreakdown(int runs, const std::wstring& root, const std::vector<std::wstring>& maps,
                    double readingMedian) {
    std::vector<std::vector<std::uint8_t>> files(maps.size());
    std::vector<char> buffer;
    for (std::size_t i = 0; i < maps.size(); ++i) {
        readWhole(maps[i], buffer);
        files[i].assign(buffer.begin(), buffer.end());
    }
    std::vector<double> listing, opening, whole, fromMemory, parsing;
    for (int run = 0; run < runs; ++run) {
        listing.push_back(qrvl::bench::secondsOf([&] {
            qrvl::Catalogue catalogue;
            std::size_t count = 0;
            catalogue.setMapObserver([&count](const qrvl::CataloguedMap&) { ++count; });
            catalogue.rebuildCatalogue(root);
        }));
        opening.push_back(qrvl::bench::secondsOf([&] {
            for (const auto& path : maps)
                openOnly(path);
        }));
        whole.push_back(qrvl::bench::secondsOf([&] {
            for (const auto& path : maps)
                readWhole(path, buffer);
        }));
        fromMemory.push_back(qrvl::bench::secondsOf([&] {
            for (const auto& file : files)
                qrvl::readMapBytes(file, L"x.scm");
        }));
        double parse = 0;
        for (const auto& file : files) {
            const std::vector<std::uint8_t> scenario = decodedScenario(file);
            qrvl::SpanSource source(scenario);
            parse += qrvl::bench::secondsOf([&] { qrvl::readScenario(source); });
        }
        parsing.push_back(parse);
    }
    using qrvl::bench::median;
    const double parts[] = {median(listing), median(opening), median(whole) - median(opening),
                            median(fromMemory) - median(parsing), median(parsing)};
    const char* names[] = {"listing", "opening", "reading the bytes", "decoding", "parsing"};
    std::printf("\nwhere cold reading goes, %d runs each, medians:\n", runs);
    for (std::size_t i = 0; i < std::size(parts); ++i)
        std::printf("  %-18s %8.3f s\n", names[i], parts[i]);
    std::printf("  %-18s %8.3f s (the reading above: %.3f s, listing not included)\n",
                "sum but listing", parts[1] + parts[2] + parts[3] + parts[4], readingMedian);
}

}  // namespace

// map_read_bench [runs] [corpus]: the corpus defaults to the one bench/measure_map_reading.sh
// makes.
int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 9;
    const std::wstring root = argc > 2 ? argv[2] : L"Z:\\tmp\\qrvl-bench-corpus";

    std::vector<std::wstring> maps;
    std::vector<std::uint64_t> sizes;
    std::vector<std::optional<qrvl::FileStamp>> stamps;
    qrvl::Catalogue catalogue;
    catalogue.setMapObserver([&](const qrvl::CataloguedMap& map) {
        maps.push_back(*map.file.path);
        stamps.push_back(map.file.stamp);
        sizes.push_back(map.file.stamp ? map.file.stamp->size : 0);
    });
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
    printBreakdown(runs, root, maps, qrvl::bench::median(readTimes));

    // With 100 marks, spread over the corpus, as the program reads: the reading thread with no
    // cache, which hands every map of a marked map's size to its hashing thread; without marks it
    // looks each size up in an empty set. Timed until the last map, hashed or not, is handed over.
    std::vector<qrvl::MapToRead> toRead;
    for (std::size_t i = 0; i < maps.size(); ++i)
        toRead.push_back({maps[i], stamps[i]});
    const auto readMarked = [&](const std::unordered_set<std::uint64_t>& hashSizes) {
        HANDLE waiting = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        qrvl::MapReadingWorker worker(qrvl::readMapFile, L"", [waiting] { SetEvent(waiting); });
        worker.hashSizes(hashSizes);
        worker.startOver();
        worker.add(toRead);
        worker.allGiven();
        std::size_t taken = 0;
        std::size_t hashed = 0;
        while (taken < toRead.size()) {
            WaitForSingleObject(waiting, 1000);
            for (const qrvl::MapRead& read : worker.take()) {
                ++taken;
                hashed += read.content.has_value();
            }
        }
        CloseHandle(waiting);
        return hashed;
    };
    std::unordered_set<std::uint64_t> marked;
    for (std::size_t i = 0; i < 100 && i < maps.size(); ++i)
        marked.insert(sizes[i * maps.size() / 100]);
    std::size_t hashed = 0;
    std::vector<double> unmarkedTimes;
    std::vector<double> markedTimes;
    qrvl::bench::timeAlternating(
        runs, "reading with 100 marks", [&] { hashed = readMarked(marked); }, markedTimes,
        [&] { readMarked({}); }, unmarkedTimes);
    std::vector<double> hashTimes;
    for (int run = 0; run < runs; ++run) {
        hashTimes.push_back(qrvl::bench::secondsOf([&] {
            for (std::size_t i = 0; i < maps.size(); ++i)
                if (marked.contains(sizes[i]))
                    qrvl::mapContentOf(maps[i]);
        }));
    }
    std::printf(
        "\n100 marks: %zu maps of a marked size hashed; hashing them alone: median %.3f s\n",
        hashed, qrvl::bench::median(hashTimes));
    qrvl::bench::printComparison("reading with 100 marks", markedTimes, "reading without marks",
                                 unmarkedTimes);
    return readable == maps.size() ? 0 : 1;
}
