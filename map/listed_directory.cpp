// Sorting of a real directory listing.
#include "map/listed_directory.h"

#include <algorithm>

namespace qrvl {

void ListedDirectory::takeSorted(std::vector<DirectoryFile> files,
                                 std::vector<std::wstring> subDirectories) {
    std::sort(files.begin(), files.end(),
              [](const DirectoryFile& a, const DirectoryFile& b) { return a.name < b.name; });
    std::sort(subDirectories.begin(), subDirectories.end());
    files_ = std::move(files);
    subDirectories_ = std::move(subDirectories);
}

}  // namespace qrvl
