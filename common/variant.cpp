// Conversions of the dynamic value.
#include "common/variant.h"

#include <cwchar>
#include <cwctype>

#include "common/error.h"
#include "common/rounding.h"

namespace qrvl {

std::wstring toText(const Variant& v) {
    if (isEmpty(v)) {
        return {};
    }
    if (const auto* s = std::get_if<std::wstring>(&v)) {
        return *s;
    }
    if (const auto* n = std::get_if<std::int32_t>(&v)) {
        return std::to_wstring(*n);
    }
    throw Error(ErrorCode::TypeMismatch);
}

std::int32_t toInt32(const Variant& v) {
    if (isEmpty(v)) {
        return 0;
    }
    if (const auto* n = std::get_if<std::int32_t>(&v)) {
        return *n;
    }
    const auto* s = std::get_if<std::wstring>(&v);
    if (s == nullptr) {
        throw Error(ErrorCode::TypeMismatch);
    }
    std::size_t first = 0;
    while (first < s->size() && std::iswspace((*s)[first])) {
        ++first;
    }
    if (first == s->size()) {
        throw Error(ErrorCode::TypeMismatch);
    }
    const wchar_t* begin = s->c_str() + first;
    wchar_t* end = nullptr;
    const double d = std::wcstod(begin, &end);
    if (end == begin) {
        throw Error(ErrorCode::TypeMismatch);
    }
    for (const wchar_t* p = end; *p != L'\0'; ++p) {
        if (!std::iswspace(*p)) {
            throw Error(ErrorCode::TypeMismatch);
        }
    }
    if (end != s->c_str() + s->size()) {
        // An embedded NUL ends the number early; the rest must be blank too.
        for (std::size_t i = static_cast<std::size_t>(end - s->c_str()); i < s->size(); ++i) {
            if (!std::iswspace((*s)[i])) {
                throw Error(ErrorCode::TypeMismatch);
            }
        }
    }
    const auto r = roundHalfEvenToInt32(d);
    if (!r) {
        throw Error(ErrorCode::Overflow);
    }
    return *r;
}

Bytes toBytes(const Variant& v) {
    const auto* b = std::get_if<Bytes>(&v);
    if (b == nullptr) {
        throw Error(ErrorCode::TypeMismatch);
    }
    if (b->empty()) {
        throw Error(ErrorCode::IndexOutOfRange);
    }
    return *b;
}

}  // namespace qrvl
