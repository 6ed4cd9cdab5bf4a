// Text inside a map (its title and description) as the game shows it.
#pragma once

#include <string>
#include <string_view>

namespace qrvl {

enum class MapTextEncoding { Ascii, Utf8, Cp949, Cp1252 };

// The encoding the game takes the raw bytes in: ASCII, valid UTF-8, Korean cp949 when every
// high byte pairs up inside its KS X 1001 area and one pair sits in its symbol or Hangul rows,
// else Western cp1252.
MapTextEncoding mapTextEncoding(std::string_view raw);

// The raw bytes decoded in that encoding, every character below U+0020 (the game's colour and
// layout codes) removed, and spaces trimmed at both ends.
std::wstring decodeMapText(std::string_view raw);

}  // namespace qrvl
