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
    ChkBasicSections basics;
    LastWins<4> sprp(chkTag("SPRP"));
    PrefixMergedSections str;
    PrefixMergedSections strx;
    const bool walked = walkChkSections(chk, [&](const ChkSectionSpan& section) {
        basics.offer(section);
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
    const std::optional<ChkBasics> read = basics.read(chk);
    if (!read) {
        return std::nullopt;
    }
    MapInfo info;
    info.width = read->width;
    info.height = read->height;
    info.tileset = static_cast<Tileset>(read->tileset);
    info.players = countPlayers(read->owners);

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
