// A map's picture as players know it: its outline in its tileset's colour, the players' start
// locations in their colours, and its minerals and geysers. No text: the picture is the same in
// every language and can be checked pixel by pixel.
#pragma once

#include "common/rgb_image.h"
#include "mapfile/map_layout.h"

namespace qrvl {

inline constexpr int kMaxPreviewSide = 4096;

// Draws `layout` into a new image. A pure function of its arguments, safe on any thread.
//
// Size. The longer side is `size` pixels, taken into 1 to kMaxPreviewSide; the shorter is
// max(1, round(size × shorter / longer)) in tiles, an exact half rounding up. A side of 0 tiles
// (no real map has one) counts as 1.
//
// Place. A unit at pixel (x, y) of a map of width × height tiles lands in column
// floor(x × W / (width × 32)) and row floor(y × H / (height × 32)) of the W × H image: the unit's
// pixel. Units outside the map (x ≥ width × 32 or y ≥ height × 32) are not drawn.
//
// Drawing, each over what came before, everything cut at the image's edges:
// 1. every pixel in the tileset's colour;
// 2. the minerals, then the geysers, in the layout's order: filled squares of side
//    s = max(1, size / 128) whose first column is the unit's column − floor(s / 2), and first row
//    likewise. An odd square is centred on the unit's pixel, an even one on its top left corner;
//    a square of 2 is the unit's pixel and those to its left, above and above left.
// 3. the start locations of players 1 to 8 in that order (in the layout's order within a
//    player), owners past player 8 not at all: filled discs of radius r = max(3, size / 40), the
//    pixels whose centre lies within r of the centre of the unit's pixel, (i − column)² +
//    (j − row)² ≤ r². A later disc covers an earlier one.
RgbImage renderMapPreview(const MapLayout& layout, int size);

}  // namespace qrvl
