// Arbitrary scenario bytes through the reader: no crash, no hang, and a MapInfo in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "mapfile/byte_source.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qrvl::SpanSource chk(std::span<const std::uint8_t>(data, size));
    const auto info = qrvl::readScenario(chk);
    if (!info) {
        return 0;
    }
    if (info->players < 0 || info->players > 8 || info->width < 0 || info->width > 65535 ||
        info->height < 0 || info->height > 65535 || static_cast<int>(info->tileset) > 7 ||
        !shownText(info->title) || !shownText(info->description)) {
        std::abort();
    }
    return 0;
}
