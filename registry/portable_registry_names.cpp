// Name keys and path splitting of the in-memory registry.
#include "registry/portable_registry_names.h"

#include <cstdint>

namespace qrvl::reg {
namespace {

// Decodes one character, taking a byte that does not start a valid sequence as itself.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) -> int {
        if (i + k >= s.size()) {
            return -1;
        }
        const auto b = static_cast<unsigned char>(s[i + k]);
        return (b & 0xC0) == 0x80 ? (b & 0x3F) : -1;
    };
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        const int c1 = cont(1);
        if (c1 >= 0) {
            i += 2;
            return static_cast<char32_t>(((b0 & 0x1F) << 6) | c1);
        }
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        const int c1 = cont(1);
        const int c2 = cont(2);
        if (c1 >= 0 && c2 >= 0) {
            const auto cp = static_cast<char32_t>(((b0 & 0x0F) << 12) | (c1 << 6) | c2);
            if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
                i += 3;
                return cp;
            }
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        const int c1 = cont(1);
        const int c2 = cont(2);
        const int c3 = cont(3);
        if (c1 >= 0 && c2 >= 0 && c3 >= 0) {
            const auto cp =
                static_cast<char32_t>(((b0 & 0x07) << 18) | (c1 << 12) | (c2 << 6) | c3);
            if (cp >= 0x10000 && cp <= 0x10FFFF) {
                i += 4;
                return cp;
            }
        }
    }
    ++i;
    return b0;
}

// Lower case for the scripts a registry name in this program can plausibly hold: Latin
// (ASCII, Latin-1, Latin Extended-A), Greek and Cyrillic.
char32_t toLower(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130) {
            return U'i';
        }
        if (c == 0x178) {
            return 0xFF;
        }
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) {
            return c;
        }
        return oddUpper ? ((c & 1) ? c + 1 : c) : ((c & 1) ? c : c + 1);
    }
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2)) {
        return c + 0x20;
    }
    if (c >= 0x410 && c <= 0x42F) {
        return c + 0x20;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    return c;
}

}  // namespace

std::u16string nameKey(std::string_view utf8Name) {
    std::u16string key;
    key.reserve(utf8Name.size());
    for (std::size_t i = 0; i < utf8Name.size();) {
        const char32_t c = toLower(nextCodePoint(utf8Name, i));
        if (c >= 0x10000) {
            const char32_t v = c - 0x10000;
            key += static_cast<char16_t>(0xD800 + (v >> 10));
            key += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            key += static_cast<char16_t>(c);
        }
    }
    return key;
}

bool splitKeyPath(std::string_view path, std::vector<std::string>& parts) {
    parts.clear();
    if (!path.empty() && path.front() == '\\') {
        return false;
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = path.find('\\', start);
        const std::size_t stop = end == std::string_view::npos ? path.size() : end;
        if (stop > start) {
            parts.emplace_back(path.substr(start, stop - start));
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return true;
}

bool sameName(std::string_view a, std::string_view b) {
    return nameKey(a) == nameKey(b);
}

}  // namespace qrvl::reg
