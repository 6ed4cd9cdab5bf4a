// Map archives for tests, built byte by byte so that every trick of protected maps can be made.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "mapfile/mpq_crypto.h"
#include "tests/mapfile/chk_builder.h"
#include "tests/mapfile/dcl_run_encoder.h"

namespace qrvl::test {

inline constexpr char kScenarioName[] = "staredit\\scenario.chk";

enum class SectorCoding { Stored, Imploded, DclMasked, ZlibMasked };

struct BlockLayout {
    Bytes content;
    SectorCoding coding = SectorCoding::DclMasked;
    bool encrypted = false;
    bool fixKey = false;
    std::uint32_t extraFlags = 0;       // single-unit, CRC: flags the reader must ignore
    std::uint32_t firstEntrySlack = 0;  // data start this many bytes after the sector table
    bool cutLastSector = false;         // the file ends inside the last sector's data
    bool tableRunsBackwards = false;    // a decoy: the sector table's last entry is 0
    std::uint32_t keyTweak = 0;         // encrypted under a key the name does not give
    // The scenario's size as the block table gives it, when not the content's: a larger one
    // runs past the file's end (the sectors are still cut from the content).
    std::uint32_t claimedSize = 0;
};

struct HashLayout {
    std::uint32_t slot = 0;  // how far past the name's start index
    std::uint32_t block = 0;
    std::uint16_t locale = 0;
    std::uint8_t platform = 0;
};

struct ArchiveLayout {
    std::uint32_t headerOffset = 0;
    bool decoyMagicFirst = false;     // "MPQ\x1A" with a header size of 16 at offset 0
    bool tablesBeforeHeader = false;  // negative table positions
    std::uint16_t sectorShift = 3;
    std::uint32_t hashCount = 16;
    std::uint32_t countJunk = 0;         // OR'd into both stored counts
    std::uint32_t claimedHashCount = 0;  // the count the header claims, when not hashCount
    std::vector<BlockLayout> blocks;
    std::vector<HashLayout> hashes;
};

inline void mpqEncrypt(std::vector<std::uint8_t>& bytes, std::uint32_t key) {
    std::uint32_t seed = 0xEEEEEEEE;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        seed += mpqCryptTable(0x400 + (key & 0xFF));
        const std::uint32_t plain = loadU32(bytes.data() + at);
        const std::uint32_t cipher = plain ^ (key + seed);
        key = ((~key << 21) + 0x11111111) | (key >> 11);
        seed = plain + seed + (seed << 5) + 3;
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(cipher >> (8 * i));
        }
    }
}

inline void putU32At(Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// One block's bytes as stored, with its flags.
struct StoredBlock {
    Bytes bytes;
    std::uint32_t flags;
    std::size_t cutBy = 0;
};

inline StoredBlock storeBlock(const BlockLayout& layout, std::uint32_t sectorSize,
                              std::uint32_t offsetField) {
    std::uint32_t flags = 0x80000000 | layout.extraFlags;
    switch (layout.coding) {
        case SectorCoding::Stored:
            break;
        case SectorCoding::Imploded:
            flags |= 0x100;
            break;
        default:
            flags |= 0x200;
            break;
    }
    if (layout.encrypted) {
        flags |= 0x10000;
    }
    if (layout.fixKey) {
        flags |= 0x20000;
    }
    const auto size = static_cast<std::uint32_t>(layout.content.size());
    std::uint32_t key = mpqHash("scenario.chk", MpqHashType::FileKey);
    if (layout.fixKey) {
        key = (key + offsetField) ^ size;
    }
    key += layout.keyTweak;
    const std::size_t count = (std::uint64_t{size} + sectorSize - 1) / sectorSize;
    const std::uint64_t claimed = layout.claimedSize ? layout.claimedSize : size;
    std::vector<Bytes> sectors;
    for (std::size_t j = 0; j < count; ++j) {
        const auto from = layout.content.begin() + static_cast<std::ptrdiff_t>(j * sectorSize);
        const Bytes raw(from,
                        from + std::min<std::ptrdiff_t>(sectorSize, layout.content.end() - from));
        Bytes packed;
        if (layout.coding == SectorCoding::Imploded || layout.coding == SectorCoding::DclMasked) {
            packed = dclRunEncode(raw);
            if (layout.coding == SectorCoding::DclMasked) {
                packed.insert(packed.begin(), 0x08);
            }
        } else if (layout.coding == SectorCoding::ZlibMasked) {
            uLongf length = compressBound(static_cast<uLong>(raw.size()));
            packed.assign(length + 1, 0x02);
            compress2(packed.data() + 1, &length, raw.data(), static_cast<uLong>(raw.size()), 9);
            packed.resize(length + 1);
        }
        // A sector that does not shrink is stored as it is, as a reader tells by its length.
        const std::uint64_t expected =
            std::min<std::uint64_t>(sectorSize, claimed - j * sectorSize);
        sectors.push_back(
            layout.coding == SectorCoding::Stored || packed.size() >= expected ? raw : packed);
        if (layout.encrypted) {
            mpqEncrypt(sectors.back(), key + static_cast<std::uint32_t>(j));
        }
    }
    StoredBlock block{{}, flags};
    if (layout.coding == SectorCoding::Stored) {
        for (const Bytes& s : sectors) {
            block.bytes.insert(block.bytes.end(), s.begin(), s.end());
        }
    } else {
        Bytes table;
        std::uint32_t at = static_cast<std::uint32_t>(4 * (count + 1)) + layout.firstEntrySlack;
        for (const Bytes& s : sectors) {
            putLittleEndian(table, at, 4);
            at += static_cast<std::uint32_t>(s.size());
        }
        putLittleEndian(table, layout.tableRunsBackwards ? 0 : at, 4);
        if (layout.encrypted) {
            mpqEncrypt(table, key - 1);
        }
        block.bytes = table;
        block.bytes.resize(block.bytes.size() + layout.firstEntrySlack, 0);
        for (const Bytes& s : sectors) {
            block.bytes.insert(block.bytes.end(), s.begin(), s.end());
        }
    }
    if (layout.cutLastSector && !sectors.empty()) {
        block.cutBy = std::max<std::size_t>(1, sectors.back().size() / 2);
    }
    return block;
}

// Header, hash table and block table first (or the tables before the header), then the blocks.
// A block that is cut must be the last one.
inline Bytes buildMpq(const ArchiveLayout& layout) {
    const std::uint32_t shifted =
        static_cast<std::uint32_t>(std::uint64_t{512} << (layout.sectorShift & 31));
    const std::uint32_t sectorSize = shifted == 0 ? 4096 : shifted;
    const std::uint32_t claimed =
        layout.claimedHashCount ? layout.claimedHashCount : layout.hashCount;
    const auto hashBytes = 16 * layout.hashCount;
    const auto blockBytes = static_cast<std::uint32_t>(16 * layout.blocks.size());
    Bytes file(layout.headerOffset, 0x5A);
    if (layout.decoyMagicFirst) {
        const Bytes decoy = {'M', 'P', 'Q', 0x1A, 16, 0, 0, 0};
        std::copy(decoy.begin(), decoy.end(), file.begin());
    }
    const std::uint32_t tablesAt = layout.tablesBeforeHeader ? 0 : layout.headerOffset + 32;
    const std::uint32_t dataAt =
        layout.tablesBeforeHeader ? layout.headerOffset + 32 : tablesAt + hashBytes + blockBytes;

    Bytes data;
    Bytes blockTable;
    std::size_t cut = 0;
    for (const BlockLayout& blockLayout : layout.blocks) {
        const std::uint32_t offsetField =
            dataAt + static_cast<std::uint32_t>(data.size()) - layout.headerOffset;
        const StoredBlock stored = storeBlock(blockLayout, sectorSize, offsetField);
        putLittleEndian(blockTable, offsetField, 4);
        putLittleEndian(blockTable, stored.bytes.size(), 4);
        putLittleEndian(
            blockTable,
            blockLayout.claimedSize ? blockLayout.claimedSize : blockLayout.content.size(), 4);
        putLittleEndian(blockTable, stored.flags, 4);
        data.insert(data.end(), stored.bytes.begin(), stored.bytes.end());
        cut = stored.cutBy;
    }
    Bytes hashTable(hashBytes, 0xFF);
    std::uint32_t start = mpqHash(kScenarioName, MpqHashType::TableIndex) & (claimed - 1);
    if (start >= layout.hashCount) {
        start = 0;
    }
    for (const HashLayout& h : layout.hashes) {
        const std::size_t at = 16 * ((start + h.slot) % layout.hashCount);
        putU32At(hashTable, at, mpqHash(kScenarioName, MpqHashType::NameA));
        putU32At(hashTable, at + 4, mpqHash(kScenarioName, MpqHashType::NameB));
        hashTable[at + 8] = static_cast<std::uint8_t>(h.locale);
        hashTable[at + 9] = static_cast<std::uint8_t>(h.locale >> 8);
        hashTable[at + 10] = h.platform;
        hashTable[at + 11] = 0;
        putU32At(hashTable, at + 12, h.block);
    }
    mpqEncrypt(hashTable, mpqHash("(hash table)", MpqHashType::FileKey));
    mpqEncrypt(blockTable, mpqHash("(block table)", MpqHashType::FileKey));

    Bytes header = {'M', 'P', 'Q', 0x1A};
    putLittleEndian(header, 32, 4);
    putLittleEndian(header, 0, 4);  // archive size: ignored, as in protected maps
    putLittleEndian(header, 0, 2);
    putLittleEndian(header, layout.sectorShift, 2);
    putLittleEndian(header, tablesAt - layout.headerOffset, 4);
    putLittleEndian(header, tablesAt + hashBytes - layout.headerOffset, 4);
    putLittleEndian(header, claimed | layout.countJunk, 4);
    putLittleEndian(header, static_cast<std::uint32_t>(layout.blocks.size()) | layout.countJunk, 4);

    if (layout.tablesBeforeHeader) {
        file.resize(std::max<std::size_t>(file.size(), hashBytes + blockBytes), 0x5A);
        std::copy(hashTable.begin(), hashTable.end(), file.begin());
        std::copy(blockTable.begin(), blockTable.end(), file.begin() + hashBytes);
        file.resize(layout.headerOffset, 0x5A);
        file.insert(file.end(), header.begin(), header.end());
    } else {
        file.insert(file.end(), header.begin(), header.end());
        file.insert(file.end(), hashTable.begin(), hashTable.end());
        file.insert(file.end(), blockTable.begin(), blockTable.end());
    }
    file.insert(file.end(), data.begin(), data.end());
    file.resize(file.size() - cut);
    return file;
}

// One scenario, DCL-compressed and encrypted as most maps store it.
inline Bytes simpleMap(const Bytes& chk) {
    ArchiveLayout layout;
    layout.blocks = {{chk, SectorCoding::DclMasked, true}};
    layout.hashes = {{0, 0}};
    return buildMpq(layout);
}

}  // namespace qrvl::test
