// Medians and the printed summary shared by the timing programs that run under Wine.
#pragma once

#include <algorithm>
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

}  // namespace qrvl::bench
