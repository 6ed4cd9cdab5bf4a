// Which maps a player wants picked: player counts and tilesets, as config.ini keeps them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mapfile/map_info.h"
#include "mapfile/map_marks.h"
#include "mapfile/map_reader.h"

namespace qrvl {

// Each group is a set of bits; an empty group puts no condition on its field ("any").
struct MapFilter {
    std::uint8_t players = 0;   // bit n-1: n players fit
    std::uint8_t tilesets = 0;  // bit of each Tileset that fits
    // "favourites=only": the picks draw only from the player's favourites.
    bool favouritesOnly = false;

    // True when a group says something: then every map must be read to know whether it fits.
    bool needsReadings() const noexcept { return players != 0 || tilesets != 0; }
    // True when the player asked for anything at all.
    bool active() const noexcept { return needsReadings() || favouritesOnly; }
    // Whether the map's reading fits the groups. An unreadable map never fits a group.
    bool fits(const MapReading& reading) const noexcept;
    // A "never" map is never picked, whatever the filter; with favouritesOnly only a favourite is.
    bool allows(Mark mark) const noexcept {
        return mark != Mark::Never && (!favouritesOnly || mark == Mark::Favourite);
    }
    bool operator==(const MapFilter&) const = default;
};

// The "players" and "tilesets" values: comma-separated words, spaces around them ignored. A word
// that is not a count 1-8 or a tileset's name (in any case) is passed over, so a value edited by
// hand can narrow the pick but never stop it.
// `favourites` is the "favourites" key: "only" (in any case) sets favouritesOnly.
MapFilter parseMapFilter(std::wstring_view players, std::wstring_view tilesets,
                         std::wstring_view favourites = {});

// The values written back: "2,4" and "Jungle,Ice", in ascending order; empty for "any".
std::wstring playersValue(const MapFilter& filter);
std::wstring tilesetsValue(const MapFilter& filter);
// "only", or empty.
std::wstring favouritesValue(const MapFilter& filter);

// The groups for a sentence: "players 2,4 and tilesets Ice"; "any map" when neither says
// anything.
std::wstring describeFilter(const MapFilter& filter);

}  // namespace qrvl
