// The floor walk over FindFirstFileExW.
#include "bench/floor_walk_win32.h"

#include <windows.h>

#include <cwchar>

namespace qrvl::bench {
namespace {

bool isMapName(const wchar_t* name) {
    const std::size_t length = std::wcslen(name);
    return length >= 4 && (std::wcscmp(name + length - 4, L".scm") == 0 ||
                           std::wcscmp(name + length - 4, L".scx") == 0);
}

}  // namespace

HANDLE findFirstEntry(const std::wstring& directory, WIN32_FIND_DATAW& found) {
    return FindFirstFileExW((directory + L"\\*").c_str(), FindExInfoBasic, &found,
                            FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
}

std::size_t floorWalk(const std::wstring& directory, std::wstring* firstMap,
                      std::vector<std::wstring>* allMaps) {
    WIN32_FIND_DATAW found;
    HANDLE search = findFirstEntry(directory, found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::size_t maps = 0;
    do {
        const wchar_t* name = found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                continue;
            }
            if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) {
                continue;
            }
            maps += floorWalk(directory + L'\\' + name, firstMap, allMaps);
        } else if (isMapName(name)) {
            if (firstMap && firstMap->empty()) {
                *firstMap = directory + L'\\' + name;
            }
            if (allMaps) {
                allMaps->push_back(directory + L'\\' + name);
            }
            ++maps;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return maps;
}

}  // namespace qrvl::bench
