// The merging of STR/STRx sections and the lookup of one string in them.
#include "mapfile/chk_strings.h"

#include <algorithm>
#include <array>

namespace qrvl {

namespace {

// Strings are read in pieces of this size until their NUL: titles are short, and a string
// without one runs to the table's end.
constexpr std::uint32_t kStringPiece = 128;

}  // namespace

void PrefixMergedSections::add(const ChkSectionSpan& section) {
    while (!layers_.empty() && layers_.back().size <= section.size) {
        layers_.pop_back();
    }
    layers_.push_back(section);
}

bool PrefixMergedSections::read(ByteSource& chk, std::uint32_t offset,
                                std::span<std::uint8_t> out) const {
    // Each byte comes from the latest section long enough to hold it.
    std::size_t done = 0;
    for (auto layer = layers_.rbegin(); layer != layers_.rend() && done < out.size(); ++layer) {
        const std::uint64_t at = std::uint64_t{offset} + done;
        if (at >= layer->size) {
            continue;
        }
        const auto take =
            static_cast<std::size_t>(std::min<std::uint64_t>(out.size() - done, layer->size - at));
        if (!chk.read(layer->offset + static_cast<std::uint32_t>(at), out.subspan(done, take))) {
            return false;
        }
        done += take;
    }
    return done == out.size();
}

std::optional<std::string> chkString(ByteSource& chk, const PrefixMergedSections& table,
                                     ChkStringWidth width, std::uint32_t index) {
    const auto w = static_cast<std::uint32_t>(width);
    const std::uint32_t size = table.size();
    std::array<std::uint8_t, 4> bytes{};
    // Fields are read as far as the table reaches; the caller has checked they fit.
    const auto field = [&](std::uint32_t at) -> std::optional<std::uint32_t> {
        if (!table.read(chk, at, std::span(bytes).first(w))) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::uint32_t i = 0; i < w; ++i) {
            value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
        }
        return value;
    };
    if (index == 0 || size < w) {
        return std::string();
    }
    const auto count = field(0);
    if (!count) {
        return std::nullopt;
    }
    // A count above what the offsets have room for counts only the offsets there are.
    if (index > std::min<std::uint32_t>(*count, (size - w) / w)) {
        return std::string();
    }
    const auto offset = field(w * index);
    if (!offset) {
        return std::nullopt;
    }
    std::string text;
    std::array<std::uint8_t, kStringPiece> piece{};
    for (std::uint32_t at = *offset; at < size;) {
        const std::uint32_t take = std::min(kStringPiece, size - at);
        if (!table.read(chk, at, std::span(piece).first(take))) {
            return std::nullopt;
        }
        const auto end = std::find(piece.begin(), piece.begin() + take, std::uint8_t{0});
        text.append(reinterpret_cast<const char*>(piece.data()),
                    static_cast<std::size_t>(end - piece.begin()));
        if (end != piece.begin() + take) {
            break;
        }
        at += take;
    }
    return text;
}

}  // namespace qrvl
