// The floor the scan is held to: a bare recursive walk that only counts map names.
#pragma once

#include <cstddef>
#include <string>

namespace qrvl::bench {

// Walks everything under the absolute path `directory` with FindFirstFileExW (basic information,
// large fetch), following no links, keeping nothing, and counts the names that end in ".scm" or
// ".scx". The first map met goes to `firstMap` when it is given.
std::size_t floorWalk(const std::wstring& directory, std::wstring* firstMap = nullptr);

}  // namespace qrvl::bench
