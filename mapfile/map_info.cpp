// The tilesets' names.
#include "mapfile/map_info.h"

#include <array>
#include <cstddef>

namespace qrvl {
namespace {

constexpr std::array<std::wstring_view, 8> kTilesetNames = {
    L"Badlands", L"Space Platform", L"Installation", L"Ashworld",
    L"Jungle",   L"Desert",         L"Ice",          L"Twilight",
};

wchar_t asciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

std::wstring_view tilesetName(Tileset tileset) {
    return kTilesetNames[static_cast<std::size_t>(tileset) & 7];
}

std::optional<Tileset> tilesetNamed(std::wstring_view name) {
    for (std::size_t i = 0; i < kTilesetNames.size(); ++i) {
        const std::wstring_view candidate = kTilesetNames[i];
        if (candidate.size() != name.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t k = 0; k < name.size() && same; ++k) {
            same = asciiLower(candidate[k]) == asciiLower(name[k]);
        }
        if (same) {
            return static_cast<Tileset>(i);
        }
    }
    return std::nullopt;
}

}  // namespace qrvl
