// Draws a map's layout into an RGB buffer.
#include "mapfile/map_preview.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace qrvl {

namespace {

using Colour = std::array<std::uint8_t, 3>;

// In ERA's order: Badlands, Space Platform, Installation, Ashworld, Jungle, Desert, Ice, Twilight.
constexpr std::array<Colour, 8> kTilesetColours = {{
    {120, 96, 64},
    {56, 56, 72},
    {88, 88, 96},
    {96, 56, 40},
    {48, 88, 40},
    {168, 136, 88},
    {176, 192, 208},
    {72, 56, 88},
}};

// Players 1 to 8 in the game's own colours: red, blue, teal, purple, orange, brown, white,
// yellow.
constexpr std::array<Colour, 8> kPlayerColours = {{
    {244, 4, 4},
    {12, 72, 204},
    {44, 180, 148},
    {136, 64, 156},
    {248, 140, 20},
    {112, 48, 20},
    {204, 224, 208},
    {252, 252, 56},
}};

constexpr Colour kMineralColour = {64, 160, 255};
constexpr Colour kGeyserColour = {0, 220, 120};

class Canvas {
  public:
    Canvas(int width, int height, Colour background) {
        image_.width = width;
        image_.height = height;
        const std::size_t row = static_cast<std::size_t>(width) * 3;
        image_.rgb.resize(row * static_cast<std::size_t>(height));
        // One row pixel by pixel, then whole rows: a large picture's fill is a few memory copies.
        for (std::size_t at = 0; at < row; at += 3) {
            std::copy(background.begin(), background.end(), image_.rgb.begin() + at);
        }
        for (std::size_t at = row; at < image_.rgb.size(); at += row) {
            std::copy_n(image_.rgb.begin(), row, image_.rgb.begin() + at);
        }
    }

    // Columns [left, right) of `row`, cut to the image.
    void span(std::int64_t row, std::int64_t left, std::int64_t right, Colour colour) {
        if (row < 0 || row >= image_.height) {
            return;
        }
        left = std::max<std::int64_t>(left, 0);
        right = std::min<std::int64_t>(right, image_.width);
        auto at = (static_cast<std::size_t>(row) * static_cast<std::size_t>(image_.width) +
                   static_cast<std::size_t>(left)) *
                  3;
        for (std::int64_t column = left; column < right; ++column, at += 3) {
            std::copy(colour.begin(), colour.end(), image_.rgb.begin() + at);
        }
    }

    RgbImage take() { return std::move(image_); }

  private:
    RgbImage image_;
};

struct Pixel {
    std::int64_t column;
    std::int64_t row;
};

// The largest d with d² ≤ n.
std::int64_t floorSqrt(std::int64_t n) {
    std::int64_t d = 0;
    while ((d + 1) * (d + 1) <= n) {
        ++d;
    }
    return d;
}

}  // namespace

RgbImage renderMapPreview(const MapLayout& layout, int size) {
    const std::int64_t longest = std::clamp(size, 1, kMaxPreviewSide);
    const std::int64_t tilesWide = std::max(layout.width, 1);
    const std::int64_t tilesHigh = std::max(layout.height, 1);
    const std::int64_t longer = std::max(tilesWide, tilesHigh);
    const std::int64_t shorter = std::min(tilesWide, tilesHigh);
    const std::int64_t other =
        std::max<std::int64_t>(1, (2 * longest * shorter + longer) / (2 * longer));
    const std::int64_t width = tilesWide >= tilesHigh ? longest : other;
    const std::int64_t height = tilesWide >= tilesHigh ? other : longest;
    Canvas canvas(static_cast<int>(width), static_cast<int>(height),
                  kTilesetColours[static_cast<std::size_t>(layout.tileset) & 7]);

    // Units outside the map have no pixel: a layout made by hand is drawn as one read from a map.
    const std::int64_t right = layout.width * std::int64_t{32};
    const std::int64_t bottom = layout.height * std::int64_t{32};
    const auto pixelOf = [&](MapPoint at) -> std::optional<Pixel> {
        if (at.x >= right || at.y >= bottom) {
            return std::nullopt;
        }
        return Pixel{at.x * width / (tilesWide * 32), at.y * height / (tilesHigh * 32)};
    };

    const std::int64_t side = std::max<std::int64_t>(1, longest / 128);
    const auto square = [&](MapPoint at, Colour colour) {
        if (const auto pixel = pixelOf(at)) {
            const std::int64_t left = pixel->column - side / 2;
            const std::int64_t top = pixel->row - side / 2;
            for (std::int64_t row = top; row < top + side; ++row) {
                canvas.span(row, left, left + side, colour);
            }
        }
    };
    for (const MapPoint& mineral : layout.minerals) {
        square(mineral, kMineralColour);
    }
    for (const MapPoint& geyser : layout.geysers) {
        square(geyser, kGeyserColour);
    }

    const std::int64_t radius = std::max<std::int64_t>(3, longest / 40);
    // How far the disc reaches left and right of its centre in each of its rows.
    std::vector<std::int64_t> reaches;
    for (std::int64_t dy = -radius; dy <= radius; ++dy) {
        reaches.push_back(floorSqrt(radius * radius - dy * dy));
    }
    for (std::uint8_t player = 0; player < kPlayerColours.size(); ++player) {
        for (const StartLocation& start : layout.starts) {
            const auto pixel = pixelOf(start.at);
            if (start.owner != player || !pixel) {
                continue;
            }
            for (std::int64_t dy = -radius; dy <= radius; ++dy) {
                const std::int64_t reach = reaches[static_cast<std::size_t>(dy + radius)];
                canvas.span(pixel->row + dy, pixel->column - reach, pixel->column + reach + 1,
                            kPlayerColours[player]);
            }
        }
    }
    return canvas.take();
}

}  // namespace qrvl
