// Parsing, testing and spelling the map filter.
#include "mapfile/map_filter.h"

#include <algorithm>
#include <cstddef>

namespace qrvl {

namespace {

constexpr int kTilesetCount = 8;
constexpr int kMostPlayers = 8;

std::wstring_view trimmed(std::wstring_view word) {
    const std::size_t first = word.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) {
        return {};
    }
    return word.substr(first, word.find_last_not_of(L" \t") - first + 1);
}

// Calls `take` with each comma-separated word, trimmed.
template <typename Take>
void forEachWord(std::wstring_view value, Take take) {
    while (true) {
        const std::size_t comma = value.find(L',');
        take(trimmed(value.substr(0, comma)));
        if (comma == std::wstring_view::npos) {
            return;
        }
        value.remove_prefix(comma + 1);
    }
}

bool has(std::uint8_t bits, int bit) {
    return ((bits >> bit) & 1u) != 0;
}

}  // namespace

bool MapFilter::fits(const MapReading& reading) const noexcept {
    if (!reading.info) {
        return false;
    }
    const MapInfo& info = *reading.info;
    const bool playersFit = players == 0 || (info.players >= 1 && info.players <= kMostPlayers &&
                                             has(players, info.players - 1));
    const bool tilesetFits = tilesets == 0 || has(tilesets, static_cast<int>(info.tileset));
    return playersFit && tilesetFits;
}

MapFilter parseMapFilter(std::wstring_view players, std::wstring_view tilesets,
                         std::wstring_view favourites) {
    MapFilter filter;
    const std::wstring_view word = trimmed(favourites);
    filter.favouritesOnly =
        word.size() == 4 && std::equal(word.begin(), word.end(), L"only",
                                       [](wchar_t a, wchar_t b) { return (a | 0x20) == b; });
    forEachWord(players, [&filter](std::wstring_view word) {
        // One digit only: "02" or "+2" is nobody's way of writing a count.
        if (word.size() == 1 && word[0] >= L'1' && word[0] <= L'0' + kMostPlayers) {
            filter.players |= static_cast<std::uint8_t>(1u << (word[0] - L'1'));
        }
    });
    forEachWord(tilesets, [&filter](std::wstring_view word) {
        if (const std::optional<Tileset> tileset = tilesetNamed(word)) {
            filter.tilesets |= static_cast<std::uint8_t>(1u << static_cast<int>(*tileset));
        }
    });
    return filter;
}

std::wstring playersValue(const MapFilter& filter) {
    std::wstring value;
    for (int count = 1; count <= kMostPlayers; ++count) {
        if (has(filter.players, count - 1)) {
            value += (value.empty() ? L"" : L",") + std::to_wstring(count);
        }
    }
    return value;
}

std::wstring tilesetsValue(const MapFilter& filter) {
    std::wstring value;
    for (int tileset = 0; tileset < kTilesetCount; ++tileset) {
        if (has(filter.tilesets, tileset)) {
            value += (value.empty() ? L"" : L",") +
                     std::wstring(tilesetName(static_cast<Tileset>(tileset)));
        }
    }
    return value;
}

std::wstring favouritesValue(const MapFilter& filter) {
    return filter.favouritesOnly ? L"only" : L"";
}

std::wstring describeFilter(const MapFilter& filter) {
    std::wstring text;
    if (filter.players != 0) {
        text = L"players " + playersValue(filter);
    }
    if (filter.tilesets != 0) {
        text += (text.empty() ? L"" : L" and ") + (L"tilesets " + tilesetsValue(filter));
    }
    return text.empty() ? L"any map" : text;
}

}  // namespace qrvl
