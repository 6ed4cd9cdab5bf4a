// Whole files by wide path: map files and the cache are read and written through this seam.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/file_stamp.h"

namespace qrvl {

// The file's size and last write, or nullopt when it cannot be asked.
std::optional<FileStamp> fileStamp(const std::wstring& path);

// The file's bytes, or nullopt when it cannot be opened or read, or is larger than `maxBytes`
// (`error` then says which). Opened read-only, sharing read, write and delete, and closed before
// returning.
std::optional<std::vector<std::uint8_t>> readFileBytes(const std::wstring& path,
                                                       std::uint64_t maxBytes, std::string& error);

// The same into `buffer`, whose capacity is kept for the next read: a reader of thousands of maps
// then pays for fresh memory once, not per file. False (with `error` set) where readFileBytes
// gives nullopt.
bool readFileInto(const std::wstring& path, std::uint64_t maxBytes, std::string& error,
                  std::vector<std::uint8_t>& buffer);

// Writes `bytes` to a temporary file beside `path`, then renames it over `path`, so that a reader
// sees the old file or the new one, never half of one. False when either step fails; the
// temporary file is then removed.
bool replaceFileBytes(const std::wstring& path, std::span<const std::uint8_t> bytes);

}  // namespace qrvl
