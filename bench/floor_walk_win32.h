// The floor the scan is held to: a bare recursive walk that only counts map names.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace qrvl::bench {

// Walks everything under the absolute path `directory` with FindFirstFileExW (basic information,
// large fetch), following no links, keeping nothing, and counts the names that end in ".scm" or
// ".scx". The first map met goes to `firstMap` when it is given, and every map, in the order met,
// to `allMaps`.
std::size_t floorWalk(const std::wstring& directory, std::wstring* firstMap = nullptr,
                      std::vector<std::wstring>* allMaps = nullptr);

// Starts the floor walk's listing of `directory`: INVALID_HANDLE_VALUE when it cannot be listed.
HANDLE findFirstEntry(const std::wstring& directory, WIN32_FIND_DATAW& found);

}  // namespace qrvl::bench
