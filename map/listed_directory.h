// A directory as a real lister took it: everything read when it was opened, nothing left open.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "map/directory_lister.h"

namespace qrvl {

struct ListedDirectory final : public Directory {
    std::wstring path_;
    std::string identity_;
    std::optional<std::vector<DirectoryFile>> files_;
    std::optional<std::vector<std::wstring>> subDirectories_;

    std::wstring path() const override { return path_; }
    std::string identity() const override { return identity_; }
    std::optional<std::vector<DirectoryFile>> files() const override { return files_; }
    std::optional<std::vector<std::wstring>> subDirectories() const override {
        return subDirectories_;
    }

    // Takes the two listings in name order, code unit by code unit, so that a walk is the same
    // on every file system.
    void takeSorted(std::vector<DirectoryFile> files, std::vector<std::wstring> subDirectories);
};

}  // namespace qrvl
