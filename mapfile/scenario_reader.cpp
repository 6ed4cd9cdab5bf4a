// Reads a map's title, size, tileset and player count from its scenario.
#include "mapfile/scenario_reader.h"

#include <cstdint>
#include <optional>
#include <span>

#include "mapfile/chk_fields.h"
#include "mapfile/chk_sections.h"
#include "mapfile/chk_strings.h"
#include "mapfile/map_text.h"

namespace qrvl {
namespace {

// The player count the picker filters by: slots of players 1 to 8 in use.
int countPlayers(std::span<const std::uint8_t> ownr) {
    int players = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        players += playerSlotInUse(ownr[i]) ? 1 : 0;
    }
    return players;
}

}  // namespace

std::optional<MapInfo> readScenario(ByteSource& chk) {
    // VER is not needed and never read.
    LastWins<4> dim(chkTag("DIM "));
    LastWins<2> era(chkTag("ERA "));
    LastWins<12> ownr(chkTag("OWNR"));
    LastWins<4> sprp(chkTag("SPRP"));
    PrefixMergedSections str;
    PrefixMergedSections strx;
    const bool walked = walkChkSections(chk, [&](const ChkSectionSpan& section) {
        dim.offer(section);
        era.offer(section);
        ownr.offer(section);
        sprp.offer(section);
        if (section.tag == chkTag("STR ") && section.size >= 2) {
            str.add(section);
        } else if (section.tag == chkTag("STRx") && section.size >= 4) {
            strx.add(section);
        }
    });
    if (!walked) {
        return std::nullopt;
    }
    const auto dimBytes = dim.read(chk);
    const auto eraBytes = era.read(chk);
    const auto ownrBytes = ownr.read(chk);
    if (!dimBytes || !eraBytes || !ownrBytes) {
        return std::nullopt;
    }
    MapInfo info;
    info.width = u16At(*dimBytes, 0);
    info.height = u16At(*dimBytes, 2);
    // 67 real maps set junk high bits in ERA; the game looks only at the low three.
    info.tileset = static_cast<Tileset>(u16At(*eraBytes, 0) & 7);
    info.players = countPlayers(*ownrBytes);

    // Without SPRP the map names no title, which is not an error.
    if (!sprp.found()) {
        return info;
    }
    const auto sprpBytes = sprp.read(chk);
    if (!sprpBytes) {
        return std::nullopt;
    }
    // SC:R maps carry STRx; when one is there the game takes its strings and not STR's.
    const bool extended = !strx.empty();
    const PrefixMergedSections& table = extended ? strx : str;
    const ChkStringWidth width = extended ? ChkStringWidth::Strx : ChkStringWidth::Str;
    const auto title = chkString(chk, table, width, u16At(*sprpBytes, 0));
    const auto description = chkString(chk, table, width, u16At(*sprpBytes, 2));
    if (!title || !description) {
        return std::nullopt;
    }
    info.title = decodeMapText(*title);
    info.description = decodeMapText(*description);
    return info;
}

}  // namespace qrvl
