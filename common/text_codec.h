// Conversion between the program's wide text and the 8-bit text that platform calls take.
#pragma once

#include <string>
#include <string_view>

namespace qrvl {

// A code page. Windows' "A" calls use the system ANSI code page; the portable stand-ins use UTF-8.
// Conversions never fail: a character the code page lacks becomes the code page's stand-in
// character, and a byte sequence that does not decode becomes U+FFFD. NUL characters pass
// through unchanged in both directions, so NUL-separated lists survive a round trip.
class TextCodec {
  public:
    virtual ~TextCodec() = default;
    virtual std::string encode(std::wstring_view text) const = 0;
    virtual std::wstring decode(std::string_view bytes) const = 0;
};

// UTF-8, on every platform.
const TextCodec& utf8Codec();

// The system ANSI code page (CP_ACP) on Windows; UTF-8 elsewhere.
const TextCodec& systemCodec();

}  // namespace qrvl
