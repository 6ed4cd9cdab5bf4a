// The directory lister over the Windows file API.
#pragma once

#include <memory>

#include "map/directory_lister.h"

namespace qrvl {

class DirectoryCalls;

// The real file system through one handle per directory, read by file-ID records. qrvl.exe uses
// it rather than std::filesystem, which would link most of libstdc++'s streams and locales into
// the exe and double its size.
std::shared_ptr<DirectoryLister> win32DirectoryLister();

// The same lister with its raw calls made through `calls` (directory_calls_win32.h).
std::shared_ptr<DirectoryLister> win32DirectoryListerOver(std::shared_ptr<DirectoryCalls> calls);

}  // namespace qrvl
