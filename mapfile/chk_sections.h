// The walk over a scenario's sections, as the game walks them: sizes clamped, jumps followed.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "mapfile/byte_source.h"

namespace qrvl {

// A section met on the walk: where its data start in the scenario and how many bytes it has
// once clamped to the end of the file.
struct ChkSectionSpan {
    std::uint32_t tag = 0;  // the four tag bytes, little-endian
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// The four characters of a tag ("STR " with its space) as ChkSectionSpan::tag holds them.
constexpr std::uint32_t chkTag(std::string_view name) {
    std::uint32_t tag = 0;
    for (std::size_t i = 0; i < 4 && i < name.size(); ++i) {
        tag |= static_cast<std::uint32_t>(static_cast<unsigned char>(name[i])) << (8 * i);
    }
    return tag;
}

// A walk that takes this many steps (headers read plus remembered positions passed over) stops
// there, as if the file ended. Real scenarios have well under a hundred sections; the limit only
// bounds the time and the memory a crafted file of loops and jumps can cost.
inline constexpr std::uint32_t kMaxChkWalkSteps = 50'000;

// Calls `visit` for each section in the order the game meets them, reading only the 8-byte
// headers from `chk`; jumps are followed and have no section of their own. False when a header
// cannot be read.
bool walkChkSections(ByteSource& chk, const std::function<void(const ChkSectionSpan&)>& visit);

}  // namespace qrvl
