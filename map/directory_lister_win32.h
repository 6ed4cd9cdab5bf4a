// The directory lister over the Windows file API.
#pragma once

#include <memory>

#include "map/directory_lister.h"

namespace qrvl {

// The real file system through FindFirstFileExW. qrvl.exe uses it rather than std::filesystem,
// which would link most of libstdc++'s streams and locales into the exe and double its size.
std::shared_ptr<DirectoryLister> win32DirectoryLister();

}  // namespace qrvl
