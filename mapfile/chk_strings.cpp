// The merging of STR/STRx sections and the lookup of one string in them.
#include "mapfile/chk_strings.h"

#include <algorithm>
#include <cstring>

namespace qrvl {

void PrefixMergedSections::add(const ChkSectionSpan& section) {
    while (!layers_.empty() && layers_.back().size <= section.size) {
        layers_.pop_back();
    }
    layers_.push_back(section);
}

std::optional<std::vector<std::uint8_t>> PrefixMergedSections::read(ByteSource& chk) const {
    if (layers_.empty()) {
        return std::vector<std::uint8_t>{};
    }
    std::vector<std::uint8_t> merged(layers_.front().size);
    std::uint32_t done = 0;
    for (auto layer = layers_.rbegin(); layer != layers_.rend(); ++layer) {
        const std::span<std::uint8_t> rest(merged.data() + done, layer->size - done);
        if (!chk.read(layer->offset + done, rest)) {
            return std::nullopt;
        }
        done = layer->size;
    }
    return merged;
}

std::string_view chkString(std::span<const std::uint8_t> table, ChkStringWidth width,
                           std::uint32_t index) {
    const auto w = static_cast<std::size_t>(width);
    const auto field = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < w; ++i) {
            value |= static_cast<std::uint32_t>(table[at + i]) << (8 * i);
        }
        return value;
    };
    if (index == 0 || table.size() < w) {
        return {};
    }
    // A count above what the offsets have room for counts only the offsets there are.
    const std::size_t count = std::min<std::size_t>(field(0), (table.size() - w) / w);
    if (index > count) {
        return {};
    }
    const std::size_t offset = field(w * index);
    if (offset >= table.size()) {
        return {};
    }
    const auto* begin = reinterpret_cast<const char*>(table.data()) + offset;
    const std::size_t left = table.size() - offset;
    const void* nul = std::memchr(begin, 0, left);
    return {begin, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : left};
}

}  // namespace qrvl
