// The scenario's section walk: clamping, jumps and the game's protection against loops.
#include "mapfile/chk_sections.h"

#include <array>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qrvl {

bool walkChkSections(ByteSource& chk, const std::function<void(const ChkSectionSpan&)>& visit) {
    const std::int64_t end = chk.size();
    // Where a header was read, and how far the walk went on from there. Protected maps jump
    // back into earlier data; arriving again at a position, the game moves past it as it did the
    // first time instead of reading it again, so a jump cannot trap the walk. Only a jump back
    // can bring the walk to a position again, so until the first one the positions are merely
    // listed, and looked up only from then on.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> listed;
    std::unordered_map<std::uint32_t, std::uint32_t> visited;
    bool jumpedBack = false;
    const auto remember = [&](std::uint32_t at, std::uint32_t length) {
        if (jumpedBack) {
            visited.emplace(at, length);
        } else {
            listed.emplace_back(at, length);
        }
    };
    std::int64_t pos = 0;
    for (std::uint32_t step = 0; step < kMaxChkWalkSteps && end - pos >= 8; ++step) {
        const auto here = static_cast<std::uint32_t>(pos);
        if (jumpedBack) {
            if (const auto seen = visited.find(here); seen != visited.end()) {
                pos += 8 + static_cast<std::int64_t>(seen->second);
                continue;
            }
        }
        std::array<std::uint8_t, 8> header{};
        if (!chk.read(here, header)) {
            return false;
        }
        const auto field = [&header](std::size_t at) {
            return static_cast<std::uint32_t>(header[at]) |
                   static_cast<std::uint32_t>(header[at + 1]) << 8 |
                   static_cast<std::uint32_t>(header[at + 2]) << 16 |
                   static_cast<std::uint32_t>(header[at + 3]) << 24;
        };
        const auto size = static_cast<std::int32_t>(field(4));
        if (size < 0) {
            // A jump out of the file (one real map ends with one) is ignored, as SC:R does.
            remember(here, 0);
            const std::int64_t target = pos + 8 + size;
            if (target >= 0 && target <= pos && !jumpedBack) {
                jumpedBack = true;
                visited.insert(listed.begin(), listed.end());
            }
            pos = target >= 0 ? target : pos + 8;
            continue;
        }
        // Many real maps end with a size past the end of the file; the game reads what is there.
        const std::int64_t left = end - pos - 8;
        const auto length = static_cast<std::uint32_t>(size < left ? size : left);
        remember(here, length);
        visit(ChkSectionSpan{field(0), here + 8, length});
        pos += 8 + static_cast<std::int64_t>(length);
    }
    return true;
}

}  // namespace qrvl
