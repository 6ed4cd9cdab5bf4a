// What a map looks like from above: its size and tileset, the players' start locations, and its
// minerals and geysers, read from the scenario's UNIT sections for the map's picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "mapfile/byte_source.h"
#include "mapfile/map_info.h"

namespace qrvl {

// A unit's centre, in pixels from the map's top left corner (32 to a tile).
struct MapPoint {
    std::uint16_t x = 0;
    std::uint16_t y = 0;

    bool operator==(const MapPoint&) const = default;
};

struct StartLocation {
    MapPoint at;
    // As the scenario numbers players: 0 is player 1, 7 player 8.
    std::uint8_t owner = 0;

    bool operator==(const StartLocation&) const = default;
};

// Plain values, owned by whoever holds them: a window may read a map on one thread and draw it
// on another.
struct MapLayout {
    // In 32-pixel tiles.
    int width = 0;
    int height = 0;
    Tileset tileset = Tileset::Badlands;
    // Each list in the order of the units in the scenario.
    std::vector<StartLocation> starts;
    std::vector<MapPoint> minerals;
    std::vector<MapPoint> geysers;

    bool operator==(const MapLayout&) const = default;
};

// UNIT entries read at most: real maps place a few thousand units at most. Entries past it are
// ignored, so that a crafted scenario costs no more than this many entries' bytes.
inline constexpr std::size_t kMaxLayoutUnits = 65'536;

// The layout from the scenario's DIM, ERA, OWNR and UNIT sections, walked as readScenario walks
// them. UNIT sections append: their data are joined in the order the walk meets them and read as
// 36-byte entries, a trailing piece shorter than one ignored. Only units inside the map are kept
// (x below width × 32, y below height × 32): start locations (unit 214) of players 1 to 8 whose
// slot is in use as the player count counts them, minerals (176, 177, 178) and geysers (188).
// nullopt when the scenario does not parse (DIM, ERA or OWNR missing or too short) or a needed
// byte cannot be read. Asks `chk` for no other section's data, titles and tiles included.
std::optional<MapLayout> readScenarioLayout(ByteSource& chk);

// A map's layout, or the short reason it is unreadable.
struct MapLayoutReading {
    std::optional<MapLayout> layout;
    std::string error;  // empty when layout is set
};

// The archive's scenario candidates in the game's order until one's layout parses. Reading a
// layout is never part of listing or picking: only a picture of the map asks for it.
MapLayoutReading readMapLayoutBytes(std::span<const std::uint8_t> file);

// The file at `path` read whole (no larger than kMaxMapFileBytes), then as readMapLayoutBytes.
MapLayoutReading readMapLayoutFile(const std::wstring& path);

}  // namespace qrvl
