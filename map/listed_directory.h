// A directory as a real lister took it: everything read when it was opened, nothing left open.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "map/directory_lister.h"

namespace qrvl {

struct ListedDirectory final : public Directory {
    // One sub-directory as the listing gave it: its full path, and its identity when the listing
    // alone tells it (nullopt: opening it must ask the file system).
    struct SubDirectory {
        std::wstring path;
        std::optional<std::string> identity;
    };
    // How the lister that took this listing opens one of its sub-directories.
    using Opener = std::function<std::unique_ptr<Directory>(const SubDirectory&)>;

    std::wstring path_;
    std::string identity_;
    std::optional<std::vector<DirectoryFile>> files_;
    std::optional<std::vector<std::wstring>> subDirectories_;
    std::vector<std::optional<std::string>> subDirectoryIdentities_;
    Opener opener_;

    std::wstring path() const override { return path_; }
    std::string identity() const override { return identity_; }
    const std::optional<std::vector<DirectoryFile>>& files() const override { return files_; }
    const std::optional<std::vector<std::wstring>>& subDirectories() const override {
        return subDirectories_;
    }
    std::unique_ptr<Directory> openSubDirectory(std::size_t index) const override;

    // Whether a sub-directory listed under `name` must be opened as a text would be, rather
    // than by the path built from its name: Windows drops a trailing space or dot from the last
    // name of a path it is given, and every lister resolves texts as Windows does, so such a path
    // may reach another directory than the listed one, or none.
    static bool opensAsText(std::wstring_view name) {
        return !name.empty() && (name.back() == L' ' || name.back() == L'.');
    }

    // Takes the two listings in name order, code unit by code unit, so that a walk is the same
    // on every file system.
    void takeSorted(std::vector<DirectoryFile> files, std::vector<SubDirectory> subDirectories);
};

}  // namespace qrvl
