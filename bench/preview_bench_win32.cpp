// A map's picture from the file's bytes in memory to the RGB buffer (the layout read from the
// archive and the scenario, then drawn), timed run by run in one process under Wine.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "mapfile/map_layout.h"
#include "mapfile/map_preview.h"

// preview_bench [runs] [map] [size]: the map defaults to the one
// "make_map_corpus --preview /tmp/qrvl-bench-preview.scx" writes, the size to 256.
int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 101;
    const std::wstring path = argc > 2 ? argv[2] : L"Z:\\tmp\\qrvl-bench-preview.scx";
    const int size = argc > 3 ? _wtoi(argv[3]) : 256;

    std::ifstream in(path.c_str(), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    const qrvl::MapLayoutReading first = qrvl::readMapLayoutBytes(bytes);
    if (!first.layout) {
        std::fprintf(stderr, "%ls: %s\n", path.c_str(), first.error.c_str());
        return 1;
    }

    std::vector<double> totals;
    std::vector<double> readings;
    std::vector<double> drawings;
    std::size_t pixels = 0;
    for (int i = 0; i < runs; ++i) {
        qrvl::MapLayoutReading reading;
        const double read =
            qrvl::bench::secondsOf([&] { reading = qrvl::readMapLayoutBytes(bytes); });
        const double drawn = qrvl::bench::secondsOf(
            [&] { pixels += qrvl::renderMapPreview(*reading.layout, size).rgb.size() / 3; });
        readings.push_back(read * 1000);
        drawings.push_back(drawn * 1000);
        totals.push_back((read + drawn) * 1000);
    }
    const qrvl::MapLayout& layout = *first.layout;
    std::printf("%ls: %zu bytes, %d x %d tiles, %zu starts, %zu minerals, %zu geysers\n",
                path.c_str(), bytes.size(), layout.width, layout.height, layout.starts.size(),
                layout.minerals.size(), layout.geysers.size());
    std::printf("%d runs at size %d (%zu pixels drawn)\n", runs, size, pixels);
    std::printf("bytes to buffer  median %7.3f ms   fastest %7.3f ms   slowest %7.3f ms\n",
                qrvl::bench::median(totals), *std::min_element(totals.begin(), totals.end()),
                *std::max_element(totals.begin(), totals.end()));
    std::printf("  layout read    median %7.3f ms\n", qrvl::bench::median(readings));
    std::printf("  drawing        median %7.3f ms\n", qrvl::bench::median(drawings));
    return 0;
}
