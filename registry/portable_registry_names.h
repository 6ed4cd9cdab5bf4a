// How the in-memory registry compares and orders key and value names, and splits key paths.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qrvl::reg {

// A name's sort and match key: its UTF-16 code units, each folded to lower case. Two names
// match when their keys are equal, and names list in the order of their keys, which is the
// order Wine keeps sub-keys and values in ("[" and "_" before "a"; "a" before "a b" before
// "ab"). Bytes that are not UTF-8 count as the Latin-1 characters of the same value.
std::u16string nameKey(std::string_view utf8Name);

// The parts of a key path, or false when the path is one that Windows refuses as a bad path
// name: one that begins with a backslash. Empty parts elsewhere ("a\\b", a trailing "\") are
// dropped, as Windows drops them.
bool splitKeyPath(std::string_view path, std::vector<std::string>& parts);

// Compares two texts without regard to ASCII case.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace qrvl::reg
