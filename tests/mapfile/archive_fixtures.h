// The map archives the tests read: one row per trick that real (often protected) maps play, each
// with the title the game would show.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/mapfile/mpq_writer.h"

namespace qrvl::test {

struct ArchiveRow {
    std::string name;
    ArchiveLayout layout;
    std::string title;  // empty: unreadable
    bool storm = true;  // the reference library reads the same scenario with its defaults
};

inline Bytes realChk() {
    return chkBytes(plainScenario("Real", 2, 64, 64, 4));
}
inline Bytes decoyChk() {
    return chkBytes(plainScenario("Decoy", 8, 128, 96, 0));
}

// Strings first and tiles last, so that a file cut inside the tiles keeps every section the
// reader needs.
inline Bytes tilesLastChk() {
    std::vector<ChkSection> sections = plainScenario("Real", 2, 64, 64, 4);
    std::rotate(sections.begin() + 4, sections.begin() + 5, sections.end());
    return chkBytes(sections);
}

// Tiles of one value, which the test encoder shrinks: a sector of any size is stored compressed.
inline Bytes compressibleChk() {
    std::vector<ChkSection> sections = plainScenario("Real", 2, 64, 64, 4);
    sections[4].data.assign(sections[4].data.size(), 0);
    return chkBytes(sections);
}

inline ArchiveLayout oneBlock(BlockLayout block) {
    ArchiveLayout layout;
    layout.blocks = {std::move(block)};
    layout.hashes = {{0, 0}};
    return layout;
}

inline std::vector<ArchiveRow> archiveRows() {
    std::vector<ArchiveRow> rows;
    const auto add = [&rows](std::string name, ArchiveLayout layout, std::string title,
                             bool storm = true) {
        rows.push_back({std::move(name), std::move(layout), std::move(title), storm});
    };
    add("dcl_sectors_encrypted", oneBlock({realChk(), SectorCoding::DclMasked, true}), "Real");
    add("stored_sectors", oneBlock({realChk(), SectorCoding::Stored}), "Real");
    add("imploded_sectors", oneBlock({realChk(), SectorCoding::Imploded, true}), "Real");
    add("zlib_sectors", oneBlock({realChk(), SectorCoding::ZlibMasked}), "Real");
    add("fix_key", oneBlock({realChk(), SectorCoding::DclMasked, true, true}), "Real");
    add("key_found_from_sector_table",
        oneBlock({.content = realChk(), .encrypted = true, .keyTweak = 0x1234567}), "Real", false);
    // The reference library overruns its own buffer on this layout, so it is left out there.
    add("first_offset_one_past_table",
        oneBlock({.content = realChk(), .encrypted = true, .firstEntrySlack = 1}), "Real", false);
    add("single_unit_flag_ignored", oneBlock({.content = realChk(), .extraFlags = 0x01000000}),
        "Real", false);
    add("last_sector_cut_inside_tiles",
        oneBlock({.content = tilesLastChk(), .cutLastSector = true}), "Real", false);
    add("stored_last_sector_cut_padded",
        oneBlock(
            {.content = tilesLastChk(), .coding = SectorCoding::Stored, .cutLastSector = true}),
        "Real", false);
    {
        ArchiveLayout layout = oneBlock({realChk()});
        layout.headerOffset = 512;
        layout.decoyMagicFirst = true;
        add("header_at_512_behind_decoy_magic", layout, "Real");
        layout.headerOffset = 1024;
        layout.decoyMagicFirst = false;
        layout.tablesBeforeHeader = true;
        add("tables_before_header", layout, "Real", false);
    }
    {
        ArchiveLayout layout = oneBlock({realChk()});
        layout.countJunk = 0x80000000;
        layout.hashes[0].block = 0x10000000;
        add("junk_bits_in_counts_and_block_index", layout, "Real", false);
        layout = oneBlock({realChk()});
        layout.claimedHashCount = 1 << 22;
        add("hash_table_claims_past_end_of_file", layout, "Real", false);
        layout.sectorShift = 227;
        add("sector_shift_227_is_3", layout, "Real", false);
    }
    // Some community maps keep the whole scenario in one sector of 16 or 32 MiB (shifts 15 and
    // 16); shift 22 makes a sector of 2 GiB, which the reference library cannot allocate.
    for (const std::uint16_t shift : {15, 16, 22}) {
        for (const auto& [coding, how] : {std::pair{SectorCoding::Stored, "stored"},
                                          std::pair{SectorCoding::DclMasked, "dcl"}}) {
            ArchiveLayout layout = oneBlock({.content = compressibleChk(), .coding = coding});
            layout.sectorShift = shift;
            add("sector_shift_" + std::to_string(shift) + "_" + how, layout, "Real", shift < 22);
        }
    }
    {
        // A 2 GiB sector and a scenario that claims 48 MiB, in a file of a few KiB: read as far as
        // the file goes, padded, as the game reads it, without holding 48 MiB.
        ArchiveLayout layout = oneBlock({.content = compressibleChk(),
                                         .coding = SectorCoding::Stored,
                                         .claimedSize = 48u << 20});
        layout.sectorShift = 22;
        add("huge_sector_and_claimed_scenario_in_a_tiny_file_stored", layout, "Real", false);
        layout.blocks[0].coding = SectorCoding::DclMasked;
        add("huge_sector_and_claimed_scenario_in_a_tiny_file_dcl", layout, "Real", false);
    }
    {
        ArchiveLayout layout;
        layout.blocks = {{realChk()}, {decoyChk()}};
        layout.hashes = {{0, 0}, {2, 1}};
        add("second_entry_past_empty_slot_ignored", layout, "Real", false);
        layout.hashes = {{0, 1}, {1, 0}};
        add("neutral_decoy_before_real_entry", layout, "Real");
        layout.hashes = {{0, 1}, {1, 0, 0x0409}};
        add("scenario_only_under_english", layout, "Real", false);
        layout.hashes = {{0, 1}, {1, 1, 0x0409, 0xFF}, {2, 0, 0x0409}};
        add("english_decoy_on_other_platform", layout, "Real", false);
        layout.blocks = {{realChk()}, {.content = decoyChk(), .tableRunsBackwards = true}};
        layout.hashes = {{0, 0}, {1, 1}};
        add("backward_sector_table_falls_back_to_next_entry", layout, "Real", false);
    }
    {
        ArchiveLayout layout = oneBlock({Bytes{'V', 'E', 'R', ' ', 1, 0, 0, 0, 0}});
        add("scenario_that_does_not_parse", layout, "");
        layout.hashes.clear();
        add("archive_without_scenario", layout, "");
    }
    return rows;
}

}  // namespace qrvl::test
