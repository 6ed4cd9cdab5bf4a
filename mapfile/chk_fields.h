// The rules the scenario's readers share: sections of which the last one wins, little-endian
// fields, and which player slots are in use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "mapfile/byte_source.h"
#include "mapfile/chk_sections.h"

namespace qrvl {

// A section of which the last one of at least N bytes wins, cut to N bytes: DIM, ERA, OWNR and
// SPRP each have one size as both their minimum and their maximum. A shorter one is ignored
// altogether, so a 1-byte decoy leaves the real section before it in force.
template <std::size_t N>
class LastWins {
  public:
    explicit LastWins(std::uint32_t tag) : tag_(tag) {}

    void offer(const ChkSectionSpan& section) {
        if (section.tag == tag_ && section.size >= N) {
            found_ = section;
        }
    }
    bool found() const { return found_.has_value(); }
    // The winning section's bytes; nullopt when there is none or it cannot be read.
    std::optional<std::array<std::uint8_t, N>> read(ByteSource& chk) const {
        std::array<std::uint8_t, N> bytes{};
        if (!found_ || !chk.read(found_->offset, bytes)) {
            return std::nullopt;
        }
        return bytes;
    }

  private:
    std::uint32_t tag_;
    std::optional<ChkSectionSpan> found_;
};

inline std::uint16_t u16At(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// A slot of players 1 to 8 whose OWNR value is computer, human, rescuable, unused or neutral.
// Inactive (0) and closed (8) slots are not in use, nor are invalid values above 8: a real
// 2-player map's OWNR is 03 03 A2 AA 3D 31 AB 92.
constexpr bool playerSlotInUse(std::uint8_t ownrValue) {
    return ownrValue >= 1 && ownrValue <= 7;
}

// The fields every reader of a scenario needs: the size in tiles, the tileset and the slots'
// owners, each from its last whole section.
struct ChkBasics {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t tileset = 0;  // ERA's low three bits: 67 real maps set junk in the high ones
    std::array<std::uint8_t, 12> owners{};
};

class ChkBasicSections {
  public:
    void offer(const ChkSectionSpan& section) {
        dim_.offer(section);
        era_.offer(section);
        ownr_.offer(section);
    }
    // nullopt when a section is missing or cannot be read.
    std::optional<ChkBasics> read(ByteSource& chk) const {
        const auto dim = dim_.read(chk);
        const auto era = era_.read(chk);
        const auto ownr = ownr_.read(chk);
        if (!dim || !era || !ownr) {
            return std::nullopt;
        }
        return ChkBasics{u16At(*dim, 0), u16At(*dim, 2),
                         static_cast<std::uint8_t>(u16At(*era, 0) & 7), *ownr};
    }

  private:
    LastWins<4> dim_{chkTag("DIM ")};
    LastWins<2> era_{chkTag("ERA ")};
    LastWins<12> ownr_{chkTag("OWNR")};
};

}  // namespace qrvl
