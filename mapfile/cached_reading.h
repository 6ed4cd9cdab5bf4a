// Reading a map through the cache: an unchanged map costs nothing, a new or changed one is read
// and kept.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/file_stamp.h"
#include "mapfile/map_cache.h"

namespace qrvl {

using MapFileReader = std::function<MapReading(const std::wstring& path)>;

// `stamp` is the one the directory listing gave, if any; otherwise the file is asked for it. A
// file whose stamp cannot be had is read, and not kept.
MapReading readThroughCache(MapCache& cache, const std::wstring& path,
                            std::optional<FileStamp> stamp, const MapFileReader& reader);

}  // namespace qrvl
