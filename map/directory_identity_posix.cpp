// The identity of a directory from stat()'s device and inode numbers.
#include <sys/stat.h>

#include "common/text_codec.h"
#include "map/directory_identity.h"

namespace qrvl {

std::optional<std::string> directoryIdentity(const std::wstring& directory) {
    // File names are UTF-8 here, as the portable lister reads them.
    const std::string native = utf8Codec().encode(directory);
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return directoryIdentity(static_cast<std::uint64_t>(info.st_dev),
                             static_cast<std::uint64_t>(info.st_ino));
}

}  // namespace qrvl
