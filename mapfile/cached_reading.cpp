// The cache consulted before a map file is opened.
#include "mapfile/cached_reading.h"

#include "mapfile/file_bytes.h"

namespace qrvl {

MapReading readThroughCache(MapCache& cache, const std::wstring& path,
                            std::optional<FileStamp> stamp, const MapFileReader& reader) {
    if (!stamp) {
        stamp = fileStamp(path);
    }
    if (!stamp) {
        return reader(path);
    }
    if (const MapReading* kept = cache.find(path, *stamp)) {
        return *kept;
    }
    MapReading reading = reader(path);
    cache.store(path, *stamp, reading);
    return reading;
}

}  // namespace qrvl
