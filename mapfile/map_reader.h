// Reading a map file into its MapInfo: the archive, then the scenario, as the game takes them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "mapfile/map_info.h"

namespace qrvl {

// A map's information, or the short reason it is unreadable.
struct MapReading {
    std::optional<MapInfo> info;
    std::string error;  // empty when info is set

    bool operator==(const MapReading&) const = default;
};

// Map files larger than this are not read: the largest real maps, sounds and all, are a few MiB.
inline constexpr std::uint64_t kMaxMapFileBytes = 64u << 20;

// The archive's scenario candidates in the game's order until one parses. A map without a title
// takes the name of `fileName` without its extension, as the game shows it.
MapReading readMapBytes(std::span<const std::uint8_t> file, std::wstring_view fileName);

// The file at `path` read whole, then as readMapBytes. Never writes to the file, and holds it
// open only for the read.
MapReading readMapFile(const std::wstring& path);

}  // namespace qrvl
