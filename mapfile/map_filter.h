// Which maps a player wants picked: player counts and tilesets, as config.ini keeps them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mapfile/map_info.h"
#include "mapfile/map_reader.h"

namespace qrvl {

// Each group is a set of bits; an empty group puts no condition on its field ("any").
struct MapFilter {
    std::uint8_t players = 0;   // bit n-1: n players fit
    std::uint8_t tilesets = 0;  // bit of each Tileset that fits

    // False when neither group says anything: then no map needs to be read at all.
    bool active() const noexcept { return players != 0 || tilesets != 0; }
    // An unreadable map never fits an active filter.
    bool fits(const MapReading& reading) const noexcept;
    bool operator==(const MapFilter&) const = default;
};

// The "players" and "tilesets" values: comma-separated words, spaces around them ignored. A word
// that is not a count 1-8 or a tileset's name (in any case) is passed over, so a value edited by
// hand can narrow the pick but never stop it.
MapFilter parseMapFilter(std::wstring_view players, std::wstring_view tilesets);

// The values written back: "2,4" and "Jungle,Ice", in ascending order; empty for "any".
std::wstring playersValue(const MapFilter& filter);
std::wstring tilesetsValue(const MapFilter& filter);

// The filter for a sentence: "players 2,4 and tilesets Ice"; "any map" when inactive.
std::wstring describeFilter(const MapFilter& filter);

}  // namespace qrvl
