// The identity of a directory from stat()'s device and inode numbers; Windows has its own.
#include "map/directory_identity.h"

#ifndef _WIN32
#include <sys/stat.h>

namespace qrvl {

std::optional<std::string> directoryIdentity(const std::filesystem::path& directory) {
    struct stat info {};
    if (::stat(directory.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return std::to_string(static_cast<unsigned long long>(info.st_dev)) + ':' +
           std::to_string(static_cast<unsigned long long>(info.st_ino));
}

}  // namespace qrvl
#endif
