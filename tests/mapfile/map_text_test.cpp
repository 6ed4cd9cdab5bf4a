// Map text: the encoding the game picks for raw title bytes, and the text it then shows.
#include <gtest/gtest.h>

#include <string>

#include "mapfile/map_text.h"

namespace qrvl::test {
namespace {

struct TextRow {
    const char* name;
    std::string raw;
    MapTextEncoding encoding;
    std::wstring shown;
};

// Natively these rows check iconv; under Wine they check MultiByteToWideChar, so the two agree.
const TextRow kTextRows[] = {
    {"Ascii", "Lost Temple", MapTextEncoding::Ascii, L"Lost Temple"},
    {"ColourCodesStrippedAndSpacesTrimmed", "  \x03(4)\x04 Lost\x0A Temple\x06 \x01",
     MapTextEncoding::Ascii, L"(4) Lost Temple"},
    {"OnlyCodesAndSpacesGiveNothing", " \x05\x12 ", MapTextEncoding::Ascii, L""},
    {"Utf8",
     "\xE2\x98\x85"
     "CROSS\xE2\x80\xA0OVER Bound \xE2\x98\x85",
     MapTextEncoding::Utf8, L"\u2605CROSS\u2020OVER Bound \u2605"},
    {"Cp949SymbolRow", "Longinus\xA5\xB1", MapTextEncoding::Cp949, L"Longinus\u2161"},
    {"Cp949HangulRows", "\xA2\xC2 \xB5\xD1\xB5\xD1\xC0\xC7 \xC6\xF8\xC7\xC7 Zero \xA2\xC2",
     MapTextEncoding::Cp949, L"\u25C8 \uB458\uB458\uC758 \uD3ED\uD53C Zero \u25C8"},
    // 0xA7 0x74 is a UHC syllable, but its second byte lies outside KS X 1001's area.
    {"Cp1252WhenAHighByteDoesNotPairInTheArea", "\xA7tack", MapTextEncoding::Cp1252, L"\u00A7tack"},
    // Every byte pairs up, but only in the Hanja rows.
    {"Cp1252WhenPairsAreHanjaOnly", "\xD0\xFAst B\xF3\xFC\xD1\xD0", MapTextEncoding::Cp1252,
     L"\u00D0\u00FAst B\u00F3\u00FC\u00D1\u00D0"},
    {"Cp1252WhenAHighByteEndsTheText", "Bay\xB0", MapTextEncoding::Cp1252, L"Bay\u00B0"},
    {"OverlongUtf8IsNotUtf8", "a\xE0\x80\xAF", MapTextEncoding::Cp1252, L"a\u00E0\u20AC\u00AF"},
    {"SurrogateIsNotUtf8", "\xED\xA0\x80", MapTextEncoding::Cp1252, L"\u00ED\u00A0\u20AC"},
    // Beyond U+10FFFF; 0x90 is one of cp1252's unassigned bytes.
    {"AboveUnicodeIsNotUtf8", "\xF4\x90\x80\x80", MapTextEncoding::Cp1252,
     L"\u00F4\uFFFD\u20AC\u20AC"},
};

class MapTextTable : public testing::TestWithParam<TextRow> {};

TEST_P(MapTextTable, PicksTheGamesEncodingAndShowsTheText) {
    const TextRow& row = GetParam();
    EXPECT_EQ(mapTextEncoding(row.raw), row.encoding);
    EXPECT_EQ(decodeMapText(row.raw), row.shown);
}

INSTANTIATE_TEST_SUITE_P(Titles, MapTextTable, testing::ValuesIn(kTextRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qrvl::test
