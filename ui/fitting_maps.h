// The catalogue's maps as the filter sees them: what each one said, and those that fit, by kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/file_stamp.h"
#include "map/catalogue.h"
#include "map/map_collection.h"
#include "mapfile/cached_reading.h"
#include "mapfile/map_filter.h"

namespace qrvl {

// How the maps of the ticked kinds stand against a filter.
struct FitCounts {
    std::int32_t maps = 0;  // of the ticked kinds
    std::int32_t read = 0;  // of those, read so far (unreadable ones included)
    std::int32_t unreadable = 0;
    std::int32_t fit = 0;
};

// Filled in catalogue order as a rebuild finds the maps, then as their readings arrive. The
// fitting maps are kept in three collections, like the catalogue's, so that a draw among them
// is the same uniform draw an update makes over the catalogue.
class FittingMaps {
  public:
    struct Entry {
        std::wstring gamePath;  // as the catalogue holds it
        std::wstring fullPath;  // as the directory listing gave it: the file to read
        std::optional<FileStamp> stamp;
        MapKind kind;
        std::optional<MapReading> reading;  // until read
    };

    // A rebuild began: no map is known any more.
    void startOver();
    // A map the rebuild found; its position among the entries is what its reading comes back with.
    void add(const CataloguedMap& map);
    // The reading of entry `index` arrived. True when the map fits the filter.
    bool read(std::size_t index, MapReading reading);
    // A new filter: the fitting maps are found again among the readings, without reading a file.
    void setFilter(const MapFilter& filter);
    const MapFilter& filter() const noexcept { return filter_; }

    // The fitting maps of the ticked kinds (all, scm or scx, as the update chooses); null when
    // neither kind is ticked.
    MapCollection* chosenList(bool scmTicked, bool scxTicked);
    FitCounts counts(const MapFilter& filter, bool scmTicked, bool scxTicked) const;
    // What the map the catalogue holds under `gamePath` said, when it was read. A search: it runs
    // once per pick, and an index would cost every rebuild, filter or not.
    const MapReading* readingOf(const std::wstring& gamePath) const;
    const std::vector<Entry>& entries() const noexcept { return entries_; }

  private:
    bool keepIfFits(const Entry& entry);

    MapFilter filter_;
    std::vector<Entry> entries_;
    MapCollection allFit_;
    MapCollection scmFit_;
    MapCollection scxFit_;
};

// Reads every map of `maps`, both kinds, in catalogue order, through the cache file (loaded first
// and written back once at the end), as the window's reading thread does: /pick and /list leave
// the cache holding the whole folder. `reader` empty means readMapFile. `read` is told of each map
// once it is read.
void readEveryMap(FittingMaps& maps, const std::wstring& cacheFile, MapFileReader reader,
                  const std::function<void(const FittingMaps::Entry&)>& read = {});

}  // namespace qrvl
