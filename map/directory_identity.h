// The identity of a directory that every path to it shares, for entering each directory once.
#pragma once

#include <optional>
#include <string>

namespace qrvl {

// Device and file number of the directory that the absolute path reaches, after links and
// junctions; nullopt when the directory cannot be opened or the platform cannot tell.
std::optional<std::string> directoryIdentity(const std::wstring& directory);

}  // namespace qrvl
