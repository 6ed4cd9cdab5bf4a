// Case folding for the keys of KeyedCollection.
#include "registry/keyed_collection.h"

namespace qrvl {

wchar_t foldKeyChar(wchar_t c) noexcept {
    const auto u = static_cast<std::uint32_t>(c);
    if (u >= L'a' && u <= L'z') {
        return static_cast<wchar_t>(u - 0x20);
    }
    if (u < 0x80) {
        return c;
    }
    // Latin-1: U+00E0..U+00FE map to U+00C0..U+00DE, except the division sign U+00F7.
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) {
        return static_cast<wchar_t>(u - 0x20);
    }
    if (u == 0xFF) {
        return static_cast<wchar_t>(0x178);
    }
    // Latin Extended-A pairs upper/lower as even/odd in two runs, with U+0130..U+0138 and
    // U+0149 left alone.
    if ((u >= 0x100 && u <= 0x12F) || (u >= 0x132 && u <= 0x137) || (u >= 0x14A && u <= 0x177)) {
        return static_cast<wchar_t>(u & ~1u);
    }
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) {
        return static_cast<wchar_t>((u & 1u) != 0 ? u : u - 1);
    }
    // Greek: U+03B1..U+03C9 map to U+0391..U+03A9; the final sigma folds like sigma.
    if (u == 0x3C2) {
        return static_cast<wchar_t>(0x3A3);
    }
    if (u >= 0x3B1 && u <= 0x3C9) {
        return static_cast<wchar_t>(u - 0x20);
    }
    // Cyrillic: U+0430..U+044F to U+0410..U+042F, U+0450..U+045F to U+0400..U+040F.
    if (u >= 0x430 && u <= 0x44F) {
        return static_cast<wchar_t>(u - 0x20);
    }
    if (u >= 0x450 && u <= 0x45F) {
        return static_cast<wchar_t>(u - 0x50);
    }
    return c;
}

std::wstring foldKey(std::wstring_view key) {
    std::wstring folded(key);
    for (auto& c : folded) {
        c = foldKeyChar(c);
    }
    return folded;
}

}  // namespace qrvl
