// The identity of a directory on Windows, for entering each directory once.
#pragma once

#include <optional>
#include <string>

namespace qrvl {

// Volume serial number and file index: the same for every path that reaches the directory,
// junctions and symbolic links included, since CreateFileW follows them. nullopt when the
// directory cannot be opened.
std::optional<std::string> win32DirectoryIdentity(const std::wstring& directory);

}  // namespace qrvl
