// The identity of a directory that every path to it shares, for entering each directory once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qrvl {

// The identity of the directory numbered `file` on the volume (or device) numbered `volume`.
std::string directoryIdentity(std::uint64_t volume, std::uint64_t file);

// The identity of a directory whose number takes 128 bits (ReFS), `high` and `low` its halves.
// A volume's directories are all named in one of the two forms, never in both.
std::string directoryIdentity(std::uint64_t volume, std::uint64_t high, std::uint64_t low);

// The identity of the directory that the absolute path reaches, after links and junctions;
// nullopt when the directory cannot be opened or the platform cannot tell.
std::optional<std::string> directoryIdentity(const std::wstring& directory);

}  // namespace qrvl
