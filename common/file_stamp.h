// What tells one version of a file from the next without reading it: its size and last write.
#pragma once

#include <cstdint>

namespace qrvl {

struct FileStamp {
    std::uint64_t size = 0;
    // In the platform's own units (100 ns since 1601 on Windows); compared, never shown.
    std::int64_t lastWrite = 0;

    bool operator==(const FileStamp&) const = default;
};

}  // namespace qrvl
