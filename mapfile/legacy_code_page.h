// The two code pages maps were written in before UTF-8: Korean (949) and Western (1252).
#pragma once

#include <string>
#include <string_view>

namespace qrvl {

enum class LegacyCodePage : unsigned { Korean = 949, Western = 1252 };

// The bytes decoded in that code page: MultiByteToWideChar on Windows, iconv elsewhere, giving
// the same text. Each byte that starts no assigned character becomes U+FFFD and decoding goes on
// at the next byte; never fails.
std::wstring decodeLegacy(LegacyCodePage codePage, std::string_view bytes);

}  // namespace qrvl
