// CINI's key-level members: every read and write goes to the file, the only copy of a setting.
#include "settings/cini.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace qrvl {
namespace {

// First sizes as the profile calls are usually given them; both only ever grow from here.
constexpr std::uint32_t kValueBuffer = 255;
constexpr std::uint32_t kListBuffer = 8192;
// A read never asks for more than this; a value or list that still does not fit is cut.
constexpr std::uint32_t kLargestBuffer = 1u << 30;
// Bytes of one character in the longest ANSI code page encoding (UTF-8 as the system code page).
constexpr std::uint32_t kLongestCharacter = 4;

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}
bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Reads [blanks][sign]digits[.digits][blanks] exactly, rounding a fraction half to even. Only the
// plain form is taken: the class meets nothing else (it writes whole numbers itself), and a
// locale's separators, exponents or hexadecimal forms in a hand-edited file would more likely be a
// slip than a number, so they read as "not a number" and the caller's default wins. Reading the
// digits exactly also keeps 2.5000000000000001 from rounding like 2.5.
std::optional<std::int32_t> parsePlainDecimal(std::wstring_view s) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) {
        negative = s[i] == L'-';
        ++i;
    }
    // Whole part, in 64 bits; anything past 11 significant digits is out of range anyway.
    std::int64_t whole = 0;
    std::size_t digits = 0;
    bool tooLong = false;
    for (; i < s.size() && isDigit(s[i]); ++i, ++digits) {
        if (whole >= 10'000'000'000) {
            tooLong = true;
        } else {
            whole = whole * 10 + (s[i] - L'0');
        }
    }
    int firstFraction = 0;
    bool restNonZero = false;
    if (i < s.size() && s[i] == L'.') {
        ++i;
        for (std::size_t k = 0; i < s.size() && isDigit(s[i]); ++i, ++k, ++digits) {
            if (k == 0) {
                firstFraction = s[i] - L'0';
            } else if (s[i] != L'0') {
                restNonZero = true;
            }
        }
    }
    while (i < s.size() && isBlank(s[i])) {
        ++i;
    }
    if (digits == 0 || i != s.size() || tooLong) {
        return std::nullopt;
    }
    if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 != 0))) {
        ++whole;
    }
    const std::int64_t value = negative ? -whole : whole;
    if (value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

CINI::CINI(std::shared_ptr<ProfileApi> api) : api_(std::move(api)) {}

std::wstring CINI::read(ReadKind kind) {
    const TextCodec& codec = api_->codec();
    const bool withSection = kind != ReadKind::SectionNames;
    const bool withKey = kind == ReadKind::Value;
    const std::string section = withSection ? codec.encode(section_) : std::string();
    const std::string key = withKey ? codec.encode(key_) : std::string();
    const std::string defaultText = codec.encode(default_);
    const std::string file = codec.encode(path_);

    // A cut read reports size - 1 (a value) or size - 2 (a list). It may stop a few bytes short
    // of that rather than split a multi-byte character, and Wine in a double-byte code page
    // reports a cut list as size - 1. So any result within one character's length of the cut
    // mark, or past it, may be cut: the buffer doubles until a read ends clearly short of it.
    const std::uint32_t cutMark = (withKey ? 1 : 2) + kLongestCharacter - 1;
    std::uint32_t size = withKey ? kValueBuffer : kListBuffer;
    std::string buffer;
    std::uint32_t n = 0;
    for (;;) {
        buffer.assign(size, ' ');
        n = api_->GetPrivateProfileStringA(withSection ? section.c_str() : nullptr,
                                           withKey ? key.c_str() : nullptr, defaultText.c_str(),
                                           buffer.data(), size, file.c_str());
        if (n + cutMark < size || size >= kLargestBuffer) {
            break;
        }
        size *= 2;
    }

    if (withSection) {
        section_ = codec.decode(section);
    }
    if (withKey) {
        key_ = codec.decode(key);
    }
    default_ = codec.decode(defaultText);
    path_ = codec.decode(file);
    return codec.decode(std::string_view(buffer.data(), std::min(n, size)));
}

void CINI::write(bool withKey, const std::string* text) {
    const TextCodec& codec = api_->codec();
    const std::string section = codec.encode(section_);
    const std::string key = withKey ? codec.encode(key_) : std::string();
    const std::string file = codec.encode(path_);
    const std::int32_t result =
        api_->WritePrivateProfileStringA(section.c_str(), withKey ? key.c_str() : nullptr,
                                         text != nullptr ? text->c_str() : nullptr, file.c_str());
    section_ = codec.decode(section);
    if (withKey) {
        key_ = codec.decode(key);
    }
    path_ = codec.decode(file);
    lastReturnCode_ = result;
}

std::wstring CINI::Value() {
    return read(ReadKind::Value);
}

void CINI::Value(const std::wstring& sValue) {
    std::wstring cleaned = sValue;
    std::erase(cleaned, L'\0');
    const std::string text = api_->codec().encode(cleaned);
    write(true, &text);
}

void CINI::DeleteKey() {
    write(true, nullptr);
}

void CINI::DeleteSection() {
    write(false, nullptr);
}

std::int32_t CINI::CLngDefault(const std::wstring& sString, std::int32_t lDefault) const {
    return parsePlainDecimal(sString).value_or(lDefault);
}

}  // namespace qrvl
