// A scripted directory lister for tests: an in-memory tree that can fail where a test says.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "map/directory_lister.h"

namespace qrvl {

class FakeDirectoryLister final : public DirectoryLister {
  public:
    struct Node {
        std::vector<DirectoryFile> files;
        std::vector<std::wstring> subDirectories;
        bool filesUnreadable = false;
        bool subDirectoriesUnreadable = false;
        // Empty: the path itself. Two nodes with one identity are one directory by two paths.
        std::string identity;
    };

    // Adds a directory whose files are `names` (full path: directory + "/" + name) and whose
    // sub-directories are directory + "/" + each of `subNames`, in the order given.
    Node& add(const std::wstring& path, const std::vector<std::wstring>& names,
              const std::vector<std::wstring>& subNames = {}) {
        Node& node = nodes[path];
        for (const std::wstring& name : names) {
            node.files.push_back({name, path + L"/" + name});
        }
        for (const std::wstring& sub : subNames) {
            node.subDirectories.push_back(path + L"/" + sub);
        }
        return node;
    }

    std::unique_ptr<Directory> open(const std::wstring& path) override {
        opened.push_back(path);
        const auto found = nodes.find(path);
        if (found == nodes.end()) {
            return nullptr;
        }
        return std::make_unique<FakeDirectory>(*this, path, found->second);
    }

    std::map<std::wstring, Node> nodes;
    std::vector<std::wstring> opened;

  private:
    class FakeDirectory final : public Directory {
      public:
        FakeDirectory(FakeDirectoryLister& lister, std::wstring path, const Node& node)
            : lister_(lister), path_(std::move(path)), identity_(node.identity) {
            if (identity_.empty()) {
                identity_.assign(path_.begin(), path_.end());
            }
            if (!node.filesUnreadable) {
                files_ = node.files;
            }
            if (!node.subDirectoriesUnreadable) {
                subDirectories_ = node.subDirectories;
            }
        }
        std::wstring path() const override { return path_; }
        std::string identity() const override { return identity_; }
        const std::optional<std::vector<DirectoryFile>>& files() const override { return files_; }
        const std::optional<std::vector<std::wstring>>& subDirectories() const override {
            return subDirectories_;
        }
        // Opens the listed path as any text, so that tests see it in `opened`.
        std::unique_ptr<Directory> openSubDirectory(std::size_t index) const override {
            return lister_.open(subDirectories_->at(index));
        }

      private:
        FakeDirectoryLister& lister_;
        std::wstring path_;
        std::string identity_;
        std::optional<std::vector<DirectoryFile>> files_;
        std::optional<std::vector<std::wstring>> subDirectories_;
    };
};

}  // namespace qrvl
