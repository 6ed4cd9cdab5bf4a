// Arbitrary scenario bytes through the readers: no crash, no hang, a MapInfo in range, and a
// layout that parses where the MapInfo does, holds only what a picture shows, and draws.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "mapfile/byte_source.h"
#include "mapfile/map_layout.h"
#include "mapfile/map_preview.h"
#include "mapfile/scenario_reader.h"

namespace {

bool shownText(const std::wstring& text) {
    for (const wchar_t c : text) {
        if (c < L' ') {
            return false;
        }
    }
    return text.empty() || (text.front() != L' ' && text.back() != L' ');
}

bool inside(const qrvl::MapLayout& layout, qrvl::MapPoint at) {
    return at.x < layout.width * 32 && at.y < layout.height * 32;
}

// Every unit inside the map, every start a player's, no more than the reader takes; and the
// picture, at a size the input chooses, has the pixels its size promises.
bool sound(const qrvl::MapLayout& layout, int size) {
    if (layout.starts.size() + layout.minerals.size() + layout.geysers.size() >
        qrvl::kMaxLayoutUnits) {
        return false;
    }
    for (const auto& start : layout.starts) {
        if (start.owner > 7 || !inside(layout, start.at)) {
            return false;
        }
    }
    for (const auto* units : {&layout.minerals, &layout.geysers}) {
        for (const auto& unit : *units) {
            if (!inside(layout, unit)) {
                return false;
            }
        }
    }
    const qrvl::RgbImage image = qrvl::renderMapPreview(layout, size);
    return (image.width == size || image.height == size) && image.width <= size &&
           image.height <= size && image.width >= 1 && image.height >= 1 &&
           image.rgb.size() == static_cast<std::size_t>(image.width) * image.height * 3;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qrvl::SpanSource chk(std::span<const std::uint8_t>(data, size));
    const auto info = qrvl::readScenario(chk);
    const auto layout = qrvl::readScenarioLayout(chk);
    if (info.has_value() != layout.has_value()) {
        std::abort();
    }
    if (!info) {
        return 0;
    }
    if (info->players < 0 || info->players > 8 || info->width < 0 || info->width > 65535 ||
        info->height < 0 || info->height > 65535 || static_cast<int>(info->tileset) > 7 ||
        !shownText(info->title) || !shownText(info->description)) {
        std::abort();
    }
    // Small pictures keep the runs fast; the edges and clipping are the same at any size.
    const int pictureSize = 16 + (size > 0 ? data[size - 1] % 113 : 0);
    if (layout->width != info->width || layout->height != info->height ||
        layout->tileset != info->tileset || !sound(*layout, pictureSize)) {
        std::abort();
    }
    return 0;
}
