// Reads a map's layout from the UNIT sections of its scenario.
#include "mapfile/map_layout.h"

#include <algorithm>
#include <array>
#include <memory>

#include "mapfile/chk_fields.h"
#include "mapfile/chk_sections.h"
#include "mapfile/file_bytes.h"
#include "mapfile/map_reader.h"
#include "mapfile/mpq_archive.h"

namespace qrvl {

namespace {

constexpr std::size_t kUnitEntryBytes = 36;
constexpr std::uint16_t kStartLocation = 214;
constexpr std::uint16_t kFirstMineralField = 176;
constexpr std::uint16_t kLastMineralField = 178;
constexpr std::uint16_t kVespeneGeyser = 188;

// The UNIT sections' data joined in walk order, up to `limit` bytes. nullopt when a byte cannot
// be read.
std::optional<std::vector<std::uint8_t>> joinedUnitData(ByteSource& chk,
                                                        const std::vector<ChkSectionSpan>& units,
                                                        std::size_t limit) {
    std::vector<std::uint8_t> joined;
    for (const ChkSectionSpan& section : units) {
        const std::size_t take = std::min<std::size_t>(section.size, limit - joined.size());
        if (take == 0) {
            break;
        }
        joined.resize(joined.size() + take);
        if (!chk.read(section.offset, std::span(joined).last(take))) {
            return std::nullopt;
        }
    }
    return joined;
}

void placeUnits(std::span<const std::uint8_t> entries, std::span<const std::uint8_t> ownr,
                MapLayout& layout) {
    const auto right = static_cast<std::uint32_t>(layout.width) * 32;
    const auto bottom = static_cast<std::uint32_t>(layout.height) * 32;
    for (std::size_t at = 0; at + kUnitEntryBytes <= entries.size(); at += kUnitEntryBytes) {
        const auto entry = entries.subspan(at, kUnitEntryBytes);
        const MapPoint point{u16At(entry, 4), u16At(entry, 6)};
        if (point.x >= right || point.y >= bottom) {
            continue;
        }
        const std::uint16_t id = u16At(entry, 8);
        const std::uint8_t owner = entry[16];
        if (id == kStartLocation) {
            // Observer slots, closed slots and junk owners have start locations in real maps;
            // only those of players who can be in the game are shown.
            if (owner < 8 && playerSlotInUse(ownr[owner])) {
                layout.starts.push_back({point, owner});
            }
        } else if (id >= kFirstMineralField && id <= kLastMineralField) {
            layout.minerals.push_back(point);
        } else if (id == kVespeneGeyser) {
            layout.geysers.push_back(point);
        }
    }
}

}  // namespace

std::optional<MapLayout> readScenarioLayout(ByteSource& chk) {
    ChkBasicSections basics;
    std::vector<ChkSectionSpan> units;
    const bool walked = walkChkSections(chk, [&](const ChkSectionSpan& section) {
        basics.offer(section);
        if (section.tag == chkTag("UNIT") && section.size > 0) {
            units.push_back(section);
        }
    });
    if (!walked) {
        return std::nullopt;
    }
    const std::optional<ChkBasics> read = basics.read(chk);
    if (!read) {
        return std::nullopt;
    }
    MapLayout layout;
    layout.width = read->width;
    layout.height = read->height;
    layout.tileset = static_cast<Tileset>(read->tileset);
    const auto entries = joinedUnitData(chk, units, kMaxLayoutUnits * kUnitEntryBytes);
    if (!entries) {
        return std::nullopt;
    }
    placeUnits(*entries, read->owners, layout);
    return layout;
}

MapLayoutReading readMapLayoutBytes(std::span<const std::uint8_t> file) {
    ScenarioCandidates candidates(file);
    bool sawScenario = false;
    while (std::unique_ptr<ByteSource> scenario = candidates.next()) {
        sawScenario = true;
        if (std::optional<MapLayout> layout = readScenarioLayout(*scenario)) {
            return {std::move(layout), {}};
        }
    }
    return {std::nullopt, sawScenario ? "the scenario is damaged" : candidates.failure()};
}

MapLayoutReading readMapLayoutFile(const std::wstring& path) {
    std::string error;
    const auto bytes = readFileBytes(path, kMaxMapFileBytes, error);
    if (!bytes) {
        return {std::nullopt, std::move(error)};
    }
    return readMapLayoutBytes(*bytes);
}

}  // namespace qrvl
