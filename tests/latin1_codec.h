// A one-byte code page that spells only U+0000..U+00FF, as 1252 spells é but no Cyrillic or
// Korean, and renders anything else as '?': tests see a text come back as such a code page
// renders it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/text_codec.h"

namespace qrvl::test {

class Latin1Codec final : public TextCodec {
  public:
    std::string encode(std::wstring_view text) const override {
        std::string out;
        for (const wchar_t c : text) {
            out += static_cast<std::uint32_t>(c) <= 0xFF ? static_cast<char>(c) : '?';
        }
        return out;
    }
    std::wstring decode(std::string_view bytes) const override {
        std::wstring out;
        for (const char c : bytes) {
            out += static_cast<wchar_t>(static_cast<unsigned char>(c));
        }
        return out;
    }
};

}  // namespace qrvl::test
