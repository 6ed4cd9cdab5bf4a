// UTF-8 codec of the portable stand-ins.
#include "common/text_codec.h"

#include <cstdint>

namespace qrvl {
namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendWide(std::wstring& out, char32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(c);
}

class Utf8Codec final : public TextCodec {
  public:
    std::string encode(std::wstring_view text) const override {
        std::string out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t c = static_cast<char32_t>(text[i]);
            if constexpr (sizeof(wchar_t) == 2) {
                c &= 0xFFFF;
                if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
                    const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                    if (low >= 0xDC00 && low < 0xE000) {
                        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                        ++i;
                    }
                }
            }
            if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) {
                c = 0xFFFD;
            }
            appendUtf8(out, c);
        }
        return out;
    }

    std::wstring decode(std::string_view bytes) const override {
        std::wstring out;
        out.reserve(bytes.size());
        std::size_t i = 0;
        while (i < bytes.size()) {
            const auto b0 = static_cast<std::uint8_t>(bytes[i]);
            int extra = 0;
            char32_t c = 0;
            char32_t min = 0;
            if (b0 < 0x80) {
                c = b0;
            } else if ((b0 & 0xE0) == 0xC0) {
                extra = 1, c = b0 & 0x1F, min = 0x80;
            } else if ((b0 & 0xF0) == 0xE0) {
                extra = 2, c = b0 & 0x0F, min = 0x800;
            } else if ((b0 & 0xF8) == 0xF0) {
                extra = 3, c = b0 & 0x07, min = 0x10000;
            } else {
                appendWide(out, 0xFFFD);
                ++i;
                continue;
            }
            bool ok = true;
            for (int k = 1; ok && k <= extra; ++k) {
                if (i + k >= bytes.size()) {
                    ok = false;
                    break;
                }
                const auto b = static_cast<std::uint8_t>(bytes[i + k]);
                if ((b & 0xC0) != 0x80) {
                    ok = false;
                    break;
                }
                c = (c << 6) | (b & 0x3F);
            }
            if (!ok || c < min || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
                appendWide(out, 0xFFFD);
                ++i;
                continue;
            }
            appendWide(out, c);
            i += static_cast<std::size_t>(extra) + 1;
        }
        return out;
    }
};

}  // namespace

const TextCodec& utf8Codec() {
    static const Utf8Codec codec;
    return codec;
}

}  // namespace qrvl
