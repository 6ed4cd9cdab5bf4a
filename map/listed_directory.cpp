// Sorting of a real directory listing, and opening what it lists.
#include "map/listed_directory.h"

#include <algorithm>

namespace qrvl {

std::unique_ptr<Directory> ListedDirectory::openSubDirectory(std::size_t index) const {
    if (!subDirectories_ || index >= subDirectories_->size()) {
        return nullptr;
    }
    return opener_(SubDirectory{(*subDirectories_)[index], subDirectoryIdentities_[index]});
}

void ListedDirectory::takeSorted(std::vector<DirectoryFile> files,
                                 std::vector<SubDirectory> subDirectories) {
    std::sort(files.begin(), files.end(),
              [](const DirectoryFile& a, const DirectoryFile& b) { return a.name < b.name; });
    // The paths share the directory's own path, so they sort as the names do.
    std::sort(subDirectories.begin(), subDirectories.end(),
              [](const SubDirectory& a, const SubDirectory& b) { return a.path < b.path; });
    files_ = std::move(files);
    subDirectories_.emplace();
    subDirectories_->reserve(subDirectories.size());
    subDirectoryIdentities_.clear();
    subDirectoryIdentities_.reserve(subDirectories.size());
    for (SubDirectory& sub : subDirectories) {
        subDirectories_->push_back(std::move(sub.path));
        subDirectoryIdentities_.push_back(std::move(sub.identity));
    }
}

}  // namespace qrvl
