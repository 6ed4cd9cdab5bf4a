// The text form of a directory's identity, the same for every lister.
#include "map/directory_identity.h"

namespace qrvl {

std::string directoryIdentity(std::uint64_t volume, std::uint64_t file) {
    return std::to_string(volume) + ':' + std::to_string(file);
}

std::string directoryIdentity(std::uint64_t volume, std::uint64_t high, std::uint64_t low) {
    return directoryIdentity(volume, low) + ':' + std::to_string(high);
}

}  // namespace qrvl
