// The map's picture against golden images: small layouts drawn at small sizes, compared pixel by
// pixel as letters of the picture's palette.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "mapfile/map_preview.h"

namespace qrvl::test {
namespace {

using Colour = std::array<std::uint8_t, 3>;

// '.' is the row's tileset, in ERA's order here.
const Colour kTilesets[] = {{120, 96, 64}, {56, 56, 72},   {88, 88, 96},    {96, 56, 40},
                            {48, 88, 40},  {168, 136, 88}, {176, 192, 208}, {72, 56, 88}};
const std::map<char, Colour> kLetters = {
    {'1', {244, 4, 4}},    {'2', {12, 72, 204}}, {'3', {44, 180, 148}},  {'4', {136, 64, 156}},
    {'5', {248, 140, 20}}, {'6', {112, 48, 20}}, {'7', {204, 224, 208}}, {'8', {252, 252, 56}},
    {'m', {64, 160, 255}}, {'g', {0, 220, 120}},
};

// Letters from (left, top) on; every pixel of the image that no patch covers is '.'.
struct Patch {
    int left;
    int top;
    std::vector<std::string> rows;
};

struct PreviewRow {
    const char* name;
    MapLayout layout;
    int size;
    int width;
    int height;
    std::vector<Patch> patches;
};

PreviewRow row(const char* name, MapLayout layout, int size, int width, int height,
               std::vector<Patch> patches) {
    return {name, std::move(layout), size, width, height, std::move(patches)};
}

Patch at(int left, int top, std::vector<std::string> rows) {
    return {left, top, std::move(rows)};
}

MapLayout map(int width, int height, Tileset tileset, std::vector<StartLocation> starts,
              std::vector<MapPoint> minerals = {}, std::vector<MapPoint> geysers = {}) {
    return {width, height, tileset, std::move(starts), std::move(minerals), std::move(geysers)};
}

const PreviewRow kPreviewRows[] = {
    row("TwoStartsCutAtTheEdges", map(4, 4, Tileset::Badlands, {{{16, 16}, 0}, {{100, 60}, 1}}), 16,
        16, 16,
        {at(0, 0,
            {
                "11111...........",
                "11111...........",
                "111111..........",
                "11111...........",
                "11111.......2...",
                "..1.......22222.",
                "..........22222.",
                ".........2222222",
                "..........22222.",
                "..........22222.",
                "............2...",
            })}),
    row("OwnersPastPlayerEightNotDrawn",
        map(2, 2, Tileset::SpacePlatform, {{{8, 8}, 8}, {{32, 32}, 7}, {{56, 8}, 255}}), 8, 8, 8,
        {at(0, 0,
            {
                "........",
                "....8...",
                "..88888.",
                "..88888.",
                ".8888888",
                "..88888.",
                "..88888.",
                "....8...",
            })}),
    row("UnitsOutsideTheMapNotDrawn",
        map(2, 2, Tileset::Installation, {{{64, 32}, 0}, {{32, 64}, 1}}, {{63, 64}}, {{63, 63}}), 8,
        8, 8, {at(7, 7, {"g"})}),
    row("UnitsOnTheEdges",
        map(2, 2, Tileset::Ashworld, {{{0, 0}, 2}}, {{63, 0}, {63, 63}}, {{0, 63}}), 8, 8, 8,
        {at(0, 0,
            {
                "3333...m",
                "333.....",
                "333.....",
                "3.......",
                "........",
                "........",
                "........",
                "g......m",
            })}),
    row("LaterPlayersAndGeysersCoverEarlierOnes",
        map(2, 2, Tileset::Jungle, {{{40, 32}, 1}, {{24, 32}, 0}}, {{0, 0}, {63, 0}}, {{0, 0}}), 8,
        8, 8,
        {at(0, 0,
            {
                "g......m",
                "...1.2..",
                ".1122222",
                ".1122222",
                "11222222",
                ".1122222",
                ".1122222",
                "...1.2..",
            })}),
    row("WideMapAnExactHalfRoundsUp",
        map(8, 3, Tileset::Desert, {}, {{255, 95}, {128, 48}}, {{0, 0}}), 12, 12, 5,
        {at(0, 0,
            {
                "g...........",
                "............",
                "......m.....",
                "............",
                "...........m",
            })}),
    row("TallMapKeepsItsProportions", map(3, 8, Tileset::Ice, {}, {{95, 255}}), 12, 5, 12,
        {at(4, 11, {"m"})}),
    row("ThinMapKeepsOneRow", map(64, 1, Tileset::Twilight, {{{1024, 16}, 4}}), 16, 16, 1,
        {at(0, 0, {".....5555555...."})}),
    row("EvenSquaresLeanUpAndLeftDiscsGrowWithTheSize",
        map(4, 4, Tileset::Jungle, {{{100, 30}, 3}}, {{64, 64}}, {{10, 10}}), 256, 256, 256,
        {at(126, 126, {"....", ".mm.", ".mm.", "...."}),
         at(18, 18, {"....", ".gg.", ".gg.", "...."}),
         at(194, 54,
            {
                "......4......",
                "...4444444...",
                "..444444444..",
                ".44444444444.",
                ".44444444444.",
                ".44444444444.",
                "4444444444444",
                ".44444444444.",
                ".44444444444.",
                ".44444444444.",
                "..444444444..",
                "...4444444...",
                "......4......",
            })}),
    row("OddSquaresAreCentred", map(4, 4, Tileset::Badlands, {}, {{10, 10}}), 384, 384, 384,
        {at(28, 28, {".....", ".mmm.", ".mmm.", ".mmm.", "....."})}),
};

// The image as palette letters, '?' for a colour not in the palette.
std::vector<std::string> letters(const RgbImage& image, Tileset tileset) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.height; ++y) {
        std::string row;
        for (int x = 0; x < image.width; ++x) {
            const auto at = (static_cast<std::size_t>(y) * image.width + x) * 3;
            const Colour pixel = {image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]};
            char letter = pixel == kTilesets[static_cast<int>(tileset)] ? '.' : '?';
            for (const auto& [name, colour] : kLetters) {
                letter = colour == pixel ? name : letter;
            }
            row += letter;
        }
        rows.push_back(row);
    }
    return rows;
}

class PreviewTable : public testing::TestWithParam<PreviewRow> {};

TEST_P(PreviewTable, DrawsTheGoldenImage) {
    const PreviewRow& row = GetParam();
    const RgbImage image = renderMapPreview(row.layout, row.size);
    ASSERT_EQ(image.width, row.width);
    ASSERT_EQ(image.height, row.height);
    ASSERT_EQ(image.rgb.size(), static_cast<std::size_t>(row.width) * row.height * 3);
    std::vector<std::string> expected(static_cast<std::size_t>(row.height),
                                      std::string(static_cast<std::size_t>(row.width), '.'));
    for (const Patch& patch : row.patches) {
        for (std::size_t y = 0; y < patch.rows.size(); ++y) {
            expected[patch.top + y].replace(static_cast<std::size_t>(patch.left),
                                            patch.rows[y].size(), patch.rows[y]);
        }
    }
    EXPECT_EQ(letters(image, row.layout.tileset), expected);
}

INSTANTIATE_TEST_SUITE_P(Golden, PreviewTable, testing::ValuesIn(kPreviewRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qrvl::test
