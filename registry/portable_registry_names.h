// How the in-memory registry compares and orders key and value names, and splits key paths.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qrvl::reg {

// A name's sort and match key: its UTF-16 code units, each folded to lower case. Windows
// compares registry names without regard to case; folding down rather than up is what puts
// names in the order Wine keeps sub-keys and values in ("[" and "_" before "a"; "a" before
// "a b" before "ab"). Bytes that are not UTF-8 count as the Latin-1 characters of the same
// value.
std::u16string nameKey(std::string_view utf8Name);

// The parts of a key path, or false when the path is one that Windows refuses as a bad path
// name: one that begins with a backslash. Empty parts elsewhere ("a\\b", a trailing "\") are
// dropped, as Windows drops them.
bool splitKeyPath(std::string_view path, std::vector<std::string>& parts);

// Whether two names are the same to Windows, which compares environment variable names and
// computer names without regard to case, as it does registry names.
bool sameName(std::string_view a, std::string_view b);

}  // namespace qrvl::reg
