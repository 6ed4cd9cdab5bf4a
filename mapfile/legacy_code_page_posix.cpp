// Korean and Western map text decoded with glibc's iconv, off Windows.
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mapfile/legacy_code_page.h"

namespace qrvl {
namespace {

// One converter per code page and thread: an iconv_t keeps state, and opening one loads a
// module, which is worth doing once rather than for every title.
class Converter {
  public:
    explicit Converter(const char* from) : handle_(iconv_open("WCHAR_T", from)) {}
    ~Converter() {
        if (handle_ != invalid()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Appends the characters of `bytes`; false, appending nothing, when any byte does not
    // decode.
    bool convert(std::string_view bytes, std::wstring& out) {
        if (handle_ == invalid() || bytes.empty()) {
            return false;
        }
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        // Each byte gives at most one character.
        std::vector<wchar_t> chars(bytes.size());
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char* at = reinterpret_cast<char*>(chars.data());
        std::size_t outLeft = chars.size() * sizeof(wchar_t);
        if (iconv(handle_, &in, &inLeft, &at, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0) {
            return false;
        }
        out.append(chars.data(), reinterpret_cast<wchar_t*>(at) - chars.data());
        return true;
    }

  private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }
    iconv_t handle_;
};

// Windows gives cp949's user-defined rows 0xC9 and 0xFE as private-use characters, which glibc
// leaves unassigned; a title carrying them reads the same on both.
bool userDefined(std::string_view pair, std::wstring& out) {
    const auto lead = static_cast<std::uint8_t>(pair[0]);
    const auto trail = static_cast<std::uint8_t>(pair[1]);
    if ((lead != 0xC9 && lead != 0xFE) || trail < 0xA1 || trail > 0xFE) {
        return false;
    }
    out += static_cast<wchar_t>(0xE000 + (lead == 0xFE ? 94 : 0) + (trail - 0xA1));
    return true;
}

}  // namespace

std::wstring decodeLegacy(LegacyCodePage codePage, std::string_view bytes) {
    thread_local Converter korean("CP949");
    thread_local Converter western("CP1252");
    const bool isKorean = codePage == LegacyCodePage::Korean;
    Converter& converter = isKorean ? korean : western;
    std::wstring text;
    if (bytes.empty() || converter.convert(bytes, text)) {
        return text;
    }
    // Some byte is unassigned. One character at a time, as the Windows side does: a pair where
    // a cp949 lead byte starts one, and a replacement character for each byte that starts no
    // character. glibc's own error position cannot be trusted for this.
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        const bool pair = isKorean && byte >= 0x81 && byte <= 0xFE && i + 1 < bytes.size();
        const std::string_view unit = bytes.substr(i, pair ? 2 : 1);
        if (converter.convert(unit, text) || (pair && userDefined(unit, text))) {
            i += unit.size();
        } else {
            text += L'\uFFFD';
            ++i;
        }
    }
    return text;
}

}  // namespace qrvl
