// The scenario (staredit\scenario.chk) inside a map: its sections, strings and the MapInfo they
// give.
#pragma once

#include <optional>

#include "mapfile/byte_source.h"
#include "mapfile/map_info.h"

namespace qrvl {

// Reads the sections the picker needs (VER, DIM, ERA, OWNR, SPRP, STR, STRx), following the
// game's rules for repeated, oversized and jumping sections, and asks `chk` only for those
// sections' bytes and the section headers, so that tile and unit data are never decoded.
// nullopt when the scenario does not parse: DIM, ERA or OWNR missing or below its minimum size,
// or bytes that cannot be read. An empty title stays empty here; the caller names the map after
// its file.
std::optional<MapInfo> readScenario(ByteSource& chk);

}  // namespace qrvl
