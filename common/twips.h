// Twips: 1440 to the inch, so 15 to the pixel at 96 dots per inch.
#pragma once

#include <cstdint>

namespace qrvl {

inline constexpr int kTwipsPerInch = 1440;

// Pixels for a length in twips at the given dots per inch, rounded to the nearest pixel.
constexpr int twipsToPixels(int twips, int dpi) {
    const std::int64_t scaled = static_cast<std::int64_t>(twips) * dpi;
    const std::int64_t half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch));
}

// Twips per pixel at the given dots per inch (15 at 96).
constexpr double twipsPerPixel(int dpi) {
    return static_cast<double>(kTwipsPerInch) / dpi;
}

}  // namespace qrvl
