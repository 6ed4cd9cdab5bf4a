// The directory-listing seam that the catalogue scan walks.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/file_stamp.h"

namespace qrvl {

// One file of a directory. `path` is empty (nullopt) when the file's full path cannot be read,
// for instance when its name has no form in the program's text; such a file is never a map.
struct DirectoryFile {
    std::wstring name;
    std::optional<std::wstring> path;
    // Size and last write when the listing gave them for free (it does on Windows); nullopt
    // elsewhere, where asking would cost a call per file.
    std::optional<FileStamp> stamp = std::nullopt;
};

// An opened directory. Its listing was taken when it was opened; nothing stays open.
class Directory {
  public:
    virtual ~Directory() = default;

    // The directory's absolute path in the platform's own form, without a trailing separator
    // (except for a root such as "/" or "C:\").
    virtual std::wstring path() const = 0;

    // The same text for every path that reaches this directory (through links, junctions or
    // mounts), so that a walk can enter each directory once.
    virtual std::string identity() const = 0;

    // The files directly in the directory, in listing order; nullopt when the list cannot be read.
    virtual const std::optional<std::vector<DirectoryFile>>& files() const = 0;

    // The full paths of the sub-directories, in listing order; nullopt when the list cannot be
    // read. The count of sub-directories is the size of this list.
    virtual const std::optional<std::vector<std::wstring>>& subDirectories() const = 0;

    // Opens the sub-directory at `index` in subDirectories(), as the lister's open() would open
    // its path, or gives nullptr when it cannot be opened. What the listing already told about it
    // spares the file system a question: a walk opens thousands of directories this way.
    virtual std::unique_ptr<Directory> openSubDirectory(std::size_t index) const = 0;
};

class DirectoryLister {
  public:
    virtual ~DirectoryLister() = default;

    // Opens the directory named by `path`, or gives nullptr when it cannot be opened (empty text,
    // no such path, not a directory, access refused). A relative text resolves against the
    // current directory; a trailing separator and trailing spaces name the same directory as the
    // text without them, on every platform.
    virtual std::unique_ptr<Directory> open(const std::wstring& path) = 0;
};

// Both real listers sort each listing by name, code unit by code unit, so that a walk is the same
// on every file system, and list links to directories (symbolic links, junctions) as
// sub-directories, so that they are followed.

// The real file system through std::filesystem; builds everywhere.
std::shared_ptr<DirectoryLister> portableDirectoryLister();

// The platform's lister: FindFirstFileExW on Windows (directory_lister_win32.h), the portable one
// elsewhere.
std::shared_ptr<DirectoryLister> systemDirectoryLister();

}  // namespace qrvl
