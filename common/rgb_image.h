// A picture as rows of red, green and blue bytes, for drawing in memory and saving as a file.
#pragma once

#include <cstdint>
#include <vector>

namespace qrvl {

struct RgbImage {
    int width = 0;
    int height = 0;
    // Rows from the top, each pixel three bytes (red, green, blue), no padding: width × height × 3
    // bytes.
    std::vector<std::uint8_t> rgb;

    bool operator==(const RgbImage&) const = default;
};

}  // namespace qrvl
