// The codecs keep NUL-separated lists whole and never fail on bad input.
#include <gtest/gtest.h>

#include "common/text_codec.h"

namespace qrvl {
namespace {

TEST(Utf8Codec, RoundTripsNulSeparatedListsAndNonAsciiText) {
    const std::wstring text(L"a\0b\0\0caf\u00e9 \u20ac", 12);
    const std::string bytes = utf8Codec().encode(text);
    EXPECT_EQ(bytes, std::string("a\0b\0\0caf\xC3\xA9 \xE2\x82\xAC", 15));
    EXPECT_EQ(utf8Codec().decode(bytes), text);
}

TEST(Utf8Codec, DecodesMalformedBytesAsReplacementCharacters) {
    EXPECT_EQ(utf8Codec().decode("a\xFF"
                                 "b"),
              L"a\uFFFDb");
    EXPECT_EQ(utf8Codec().decode("\xC3"), L"\uFFFD");             // cut short
    EXPECT_EQ(utf8Codec().decode("\xC0\x80"), L"\uFFFD\uFFFD");   // overlong
    EXPECT_EQ(utf8Codec().decode("\xED\xA0\x80x").back(), L'x');  // surrogate, then on
}

TEST(Utf8Codec, HandlesCharactersBeyondTheBasicPlane) {
    const std::string bytes = "\xF0\x9F\x97\xBA";  // U+1F5FA, a world map
    const std::wstring text = utf8Codec().decode(bytes);
    EXPECT_EQ(utf8Codec().encode(text), bytes);
}

TEST(SystemCodec, KeepsAsciiAndNulsUnchanged) {
    const std::wstring text(L"C:\\maps\\a.scm\0b", 15);
    const std::string bytes = systemCodec().encode(text);
    EXPECT_EQ(bytes, std::string("C:\\maps\\a.scm\0b", 15));
    EXPECT_EQ(systemCodec().decode(bytes), text);
}

}  // namespace
}  // namespace qrvl
