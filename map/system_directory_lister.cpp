// Picks the directory lister that the catalogue walks unless it is given another.
#include "map/directory_lister.h"

#ifdef _WIN32
#include "map/win32_directory_lister.h"
#endif

namespace qrvl {

std::shared_ptr<DirectoryLister> systemDirectoryLister() {
#ifdef _WIN32
    return win32DirectoryLister();
#else
    return portableDirectoryLister();
#endif
}

}  // namespace qrvl
