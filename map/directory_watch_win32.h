// The directory watch over ReadDirectoryChangesW.
#pragma once

#include <memory>

#include "map/directory_watch.h"

namespace qrvl {

class WatchCalls;
std::shared_ptr<WatchCalls> systemWatchCalls();

// A watch on a thread of its own, with its raw calls made through `calls`.
std::shared_ptr<DirectoryWatch> win32DirectoryWatch(
    std::shared_ptr<WatchCalls> calls = systemWatchCalls());

}  // namespace qrvl
