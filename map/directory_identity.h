// The identity of a directory that every path to it shares, for entering each directory once.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace qrvl {

// Device and file number of the directory the path reaches (after links); nullopt when the
// platform cannot tell.
std::optional<std::string> directoryIdentity(const std::filesystem::path& directory);

}  // namespace qrvl
