// Korean and Western map text decoded by Windows' own code page tables.
#include <windows.h>

#include <cstddef>

#include "mapfile/legacy_code_page.h"

namespace qrvl {
namespace {

// The characters of `bytes`, or nothing when one of them is not assigned in the code page.
bool convert(UINT codePage, std::string_view bytes, std::wstring& out) {
    const int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                          static_cast<int>(bytes.size()), nullptr, 0);
    if (count <= 0) {
        return false;
    }
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(count));
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                        static_cast<int>(bytes.size()), out.data() + at, count);
    return true;
}

}  // namespace

std::wstring decodeLegacy(LegacyCodePage codePage, std::string_view bytes) {
    const auto page = static_cast<UINT>(codePage);
    std::wstring text;
    if (!convert(page, bytes, text)) {
        // Some byte is unassigned: one character at a time, a replacement character for each
        // byte that starts no character, as the iconv side does.
        text.clear();
        std::size_t i = 0;
        while (i < bytes.size()) {
            const bool pair =
                i + 1 < bytes.size() && IsDBCSLeadByteEx(page, static_cast<BYTE>(bytes[i]));
            const std::size_t length = pair ? 2 : 1;
            if (convert(page, bytes.substr(i, length), text)) {
                i += length;
            } else {
                text += L'\uFFFD';
                ++i;
            }
        }
    }
    // Windows gives cp1252's five unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) and cp949's
    // 0x80 as the C1 controls of the same number, which no assigned byte gives; iconv calls them
    // unassigned, and so does this.
    for (wchar_t& c : text) {
        c = c >= 0x80 && c <= 0x9F ? L'\uFFFD' : c;
    }
    return text;
}

}  // namespace qrvl
