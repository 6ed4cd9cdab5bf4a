// Medians and the printed summary shared by the timing programs that run under Wine.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace qrvl::bench {

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Prints both medians, the ratio of the medians and the median of the ratios of each round's
// pair: with other work on the machine the pairs run under the same load, so their ratio is
// steadier than either time.
inline void printComparison(const char* what, const std::vector<double>& measured,
                            const char* floorName, const std::vector<double>& floor) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < measured.size() && i < floor.size(); ++i) {
        ratios.push_back(measured[i] / floor[i]);
    }
    std::printf("%zu runs each, alternating\n", measured.size());
    std::printf("%-24s median %8.3f s\n", what, median(measured));
    std::printf("%-24s median %8.3f s\n", floorName, median(floor));
    std::printf("ratio of the medians     %8.2fx\n", median(measured) / median(floor));
    std::printf("median of paired ratios  %8.2fx\n", median(ratios));
}

template <typename Run>
double secondsOf(Run&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times `measured` and `floor` `runs` times each, in one process. Each goes first in every other
// round, so that neither always meets a warmer cache; each round is printed as it ends.
template <typename Measured, typename Floor>
void timeAlternating(int runs, const char* measuredName, Measured&& measured,
                     std::vector<double>& measuredTimes, Floor&& floor,
                     std::vector<double>& floorTimes) {
    for (int i = 0; i < runs; ++i) {
        if (i % 2 == 0) {
            floorTimes.push_back(secondsOf(floor));
            measuredTimes.push_back(secondsOf(measured));
        } else {
            measuredTimes.push_back(secondsOf(measured));
            floorTimes.push_back(secondsOf(floor));
        }
        std::printf("run %d: %s %.3f s, floor %.3f s\n", i + 1, measuredName, measuredTimes.back(),
                    floorTimes.back());
        std::fflush(stdout);
    }
}

}  // namespace qrvl::bench
