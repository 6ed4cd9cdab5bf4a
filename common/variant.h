// The dynamic value: empty, text, signed 32-bit integer or byte array.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace qrvl {

using Bytes = std::vector<std::uint8_t>;

// Empty (std::monostate) is a state of its own, distinct from an empty text. Optional arguments
// that a caller does not give arrive as the empty value.
using Variant = std::variant<std::monostate, std::wstring, std::int32_t, Bytes>;

inline bool isEmpty(const Variant& v) {
    return std::holds_alternative<std::monostate>(v);
}

// Conversions as the classes need them. Each raises qrvl::Error on failure:
// toText: empty gives "", an integer its decimal digits; a byte array is a type mismatch (13).
// toInt32: an integer as is; a text that holds a decimal number (blanks around it allowed, a
//          fraction rounded half to even) converts, a number outside the 32-bit range is an
//          overflow (6), any other text a type mismatch (13); empty gives 0; bytes are 13.
// toBytes: a byte array as is, but one without elements is out of range (9); anything else is 13.
std::wstring toText(const Variant& v);
std::int32_t toInt32(const Variant& v);
Bytes toBytes(const Variant& v);

}  // namespace qrvl
