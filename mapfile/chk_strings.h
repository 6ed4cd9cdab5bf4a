// The scenario's string table: its STR or STRx sections merged, and strings looked up by index.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "mapfile/byte_source.h"
#include "mapfile/chk_sections.h"

namespace qrvl {

// Sections of one tag that each overwrite the start of the merged data, the rest of the earlier
// ones staying: 27 real maps follow their string table with 1-byte STR sections that change only
// its first byte. Only the bytes asked for are read, so a large table costs no more than the two
// strings the picker wants.
class PrefixMergedSections {
  public:
    void add(const ChkSectionSpan& section);
    bool empty() const { return layers_.empty(); }
    // As long as the longest section.
    std::uint32_t size() const { return layers_.empty() ? 0 : layers_.front().size; }
    // Fills `out` with the merged bytes at `offset`; the caller keeps the range within size().
    // False when they cannot be read.
    bool read(ByteSource& chk, std::uint32_t offset, std::span<std::uint8_t> out) const;

  private:
    // Latest last; each strictly shorter than the one before it, since a section that is no
    // longer than a later one is overwritten by it altogether.
    std::vector<ChkSectionSpan> layers_;
};

enum class ChkStringWidth { Str = 2, Strx = 4 };

// String `index` (1-based) of a merged table: a count, one offset per string, then the bytes,
// with counts and offsets of `width` bytes. The bytes run to the first NUL or the table's end;
// empty for index 0, an index past the count or past what the offsets have room for, or an
// offset at or past the end. nullopt when the bytes cannot be read.
std::optional<std::string> chkString(ByteSource& chk, const PrefixMergedSections& table,
                                     ChkStringWidth width, std::uint32_t index);

}  // namespace qrvl
