// Scenario (CHK) bytes for tests, built section by section.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qrvl::test {

using Bytes = std::vector<std::uint8_t>;

struct ChkSection {
    std::string tag;  // four characters, "VER " with its space
    Bytes data;
    // The size written in the header; the data's own size when not given. A negative size is a
    // jump, and a size past the end is clamped by readers.
    std::optional<std::int32_t> storedSize = std::nullopt;
};

inline void putLittleEndian(Bytes& out, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

inline Bytes u16s(std::initializer_list<std::uint16_t> values) {
    Bytes out;
    for (const std::uint16_t v : values) {
        putLittleEndian(out, v, 2);
    }
    return out;
}

inline Bytes chkBytes(const std::vector<ChkSection>& sections) {
    Bytes out;
    for (const ChkSection& section : sections) {
        out.insert(out.end(), section.tag.begin(), section.tag.end());
        const std::int64_t size = section.storedSize
                                      ? *section.storedSize
                                      : static_cast<std::int64_t>(section.data.size());
        putLittleEndian(out, static_cast<std::uint32_t>(size), 4);
        out.insert(out.end(), section.data.begin(), section.data.end());
    }
    return out;
}

// A string section: a count, then an offset per string, each `width` bytes (2 for STR, 4 for
// STRx), then the strings in order (string 1 first), each closed by a NUL.
inline Bytes stringSection(const std::vector<std::string>& strings, int width) {
    Bytes out;
    putLittleEndian(out, strings.size(), width);
    std::size_t offset = static_cast<std::size_t>(width) * (1 + strings.size());
    for (const std::string& s : strings) {
        putLittleEndian(out, offset, width);
        offset += s.size() + 1;
    }
    for (const std::string& s : strings) {
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
    }
    return out;
}

inline Bytes strSection(const std::vector<std::string>& strings) {
    return stringSection(strings, 2);
}
inline Bytes strxSection(const std::vector<std::string>& strings) {
    return stringSection(strings, 4);
}

// OWNR with the first `humans` slots human (6), the other slots of players 1 to 8 inactive (0)
// and players 9 to 12 neutral (7), as the editor leaves them.
inline Bytes ownrSection(int humans) {
    Bytes out(12, 0);
    for (int i = 0; i < humans && i < 8; ++i) {
        out[static_cast<std::size_t>(i)] = 6;
    }
    for (std::size_t i = 8; i < 12; ++i) {
        out[i] = 7;
    }
    return out;
}

// UNIT entries of 36 bytes with the fields a map's picture uses set (unit id, position in pixels,
// owner as the scenario numbers players, 0 for player 1) and a serial; the others zero.
struct UnitEntry {
    std::uint16_t id;
    std::uint16_t x;
    std::uint16_t y;
    std::uint8_t owner = 0;
};

inline Bytes unitEntries(std::initializer_list<UnitEntry> units) {
    Bytes out;
    for (const UnitEntry& unit : units) {
        putLittleEndian(out, out.size() / 36 + 1, 4);
        putLittleEndian(out, unit.x, 2);
        putLittleEndian(out, unit.y, 2);
        putLittleEndian(out, unit.id, 2);
        out.resize(out.size() + 6, 0);
        out.push_back(unit.owner);
        out.resize(out.size() + 19, 0);
    }
    return out;
}

// The sections of an ordinary map: title string 1, description string 2, the given size and
// tileset number, and MTXM tile data of width × height tiles, which makes up most of a real
// scenario's bytes.
inline std::vector<ChkSection> plainScenario(const std::string& title, int players, int width,
                                             int height, int era,
                                             const std::string& description = "A map") {
    Bytes tiles(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 2);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        tiles[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 5));
    }
    return {
        {"VER ", u16s({205})},
        {"DIM ", u16s({static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)})},
        {"ERA ", u16s({static_cast<std::uint16_t>(era)})},
        {"OWNR", ownrSection(players)},
        {"MTXM", tiles},
        {"SPRP", u16s({1, 2})},
        {"STR ", strSection({title, description})},
    };
}

}  // namespace qrvl::test
