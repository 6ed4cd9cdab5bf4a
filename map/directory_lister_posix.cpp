// Off Windows the catalogue walks the file system through std::filesystem unless given another.
#include "map/directory_lister.h"

namespace qrvl {

std::shared_ptr<DirectoryLister> systemDirectoryLister() {
    return portableDirectoryLister();
}

}  // namespace qrvl
