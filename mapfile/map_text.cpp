// How the game decides the encoding of map text, and the text it shows.
#include "mapfile/map_text.h"

#include <cstddef>
#include <cstdint>

#include "common/text_codec.h"
#include "mapfile/legacy_code_page.h"

namespace qrvl {
namespace {

std::uint8_t byteAt(std::string_view raw, std::size_t i) {
    return static_cast<std::uint8_t>(raw[i]);
}

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool isUtf8(std::string_view raw) {
    std::size_t i = 0;
    while (i < raw.size()) {
        const std::uint8_t b0 = byteAt(raw, i);
        std::size_t extra = 0;
        char32_t c = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            ++i;
            continue;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            extra = 1, c = b0 & 0x1F, min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            extra = 2, c = b0 & 0x0F, min = 0x800;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            extra = 3, c = b0 & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (raw.size() - i <= extra) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const std::uint8_t b = byteAt(raw, i + k);
            if ((b & 0xC0) != 0x80) {
                return false;
            }
            c = (c << 6) | (b & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

// Korean text pairs every high byte inside KS X 1001's area (0xA1 to 0xFE twice). Western text
// rarely does, and the symbol and Hangul rows (leads up to 0xC8) tell Korean from accented
// Latin that happens to pair up as Hanja: "Ðúst BóüÑÐ" is Western, "LonginusⅡ" is Korean.
bool isKorean(std::string_view raw) {
    const auto inArea = [](std::uint8_t b) { return b >= 0xA1 && b <= 0xFE; };
    bool symbolOrHangul = false;
    std::size_t i = 0;
    while (i < raw.size()) {
        const std::uint8_t lead = byteAt(raw, i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (!inArea(lead) || i + 1 >= raw.size() || !inArea(byteAt(raw, i + 1))) {
            return false;
        }
        symbolOrHangul = symbolOrHangul || lead <= 0xC8;
        i += 2;
    }
    return symbolOrHangul;
}

}  // namespace

MapTextEncoding mapTextEncoding(std::string_view raw) {
    bool ascii = true;
    for (const char c : raw) {
        ascii = ascii && static_cast<std::uint8_t>(c) < 0x80;
    }
    if (ascii) {
        return MapTextEncoding::Ascii;
    }
    if (isUtf8(raw)) {
        return MapTextEncoding::Utf8;
    }
    return isKorean(raw) ? MapTextEncoding::Cp949 : MapTextEncoding::Cp1252;
}

std::wstring decodeMapText(std::string_view raw) {
    std::wstring text;
    switch (mapTextEncoding(raw)) {
        case MapTextEncoding::Ascii:
            text.assign(raw.begin(), raw.end());
            break;
        case MapTextEncoding::Utf8:
            text = utf8Codec().decode(raw);
            break;
        case MapTextEncoding::Cp949:
            text = decodeLegacy(LegacyCodePage::Korean, raw);
            break;
        case MapTextEncoding::Cp1252:
            text = decodeLegacy(LegacyCodePage::Western, raw);
            break;
    }
    // Characters below U+0020 are the game's colour and layout codes, which show no glyph.
    std::erase_if(text, [](wchar_t c) { return c < L' '; });
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

}  // namespace qrvl
