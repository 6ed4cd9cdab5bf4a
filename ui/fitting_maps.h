// The catalogue's maps as the pick rules see them: what each one said, its mark, and those that
// may be picked, by kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/file_stamp.h"
#include "common/native_path.h"
#include "map/catalogue.h"
#include "map/map_collection.h"
#include "mapfile/cached_reading.h"
#include "mapfile/map_filter.h"
#include "mapfile/map_marks.h"

namespace qrvl {

// How the maps of the ticked kinds stand against a filter.
struct FitCounts {
    std::int32_t maps = 0;  // of the ticked kinds
    std::int32_t read = 0;  // of those, read so far (unreadable ones included)
    std::int32_t unreadable = 0;
    std::int32_t fit = 0;
};

// Filled in catalogue order as a rebuild finds the maps, then as their readings arrive. The maps
// that may be picked are kept in three collections, like the catalogue's, so that a draw among
// them is the same uniform draw an update makes over the catalogue.
//
// The rules: a "never" map is never picked; with favourites only, only a favourite is; and a map
// must fit the filter's groups, which takes its reading. A map's mark is known at once when no
// mark has its size, and otherwise once its content is hashed; until then it is not picked.
class FittingMaps {
  public:
    struct Entry {
        std::wstring gamePath;  // as the catalogue holds it
        std::wstring fullPath;  // as the directory listing gave it: the file to read
        std::optional<FileStamp> stamp;
        MapKind kind;
        std::optional<MapReading> reading;  // until read
        std::optional<MapContent> content;  // once hashed
        std::optional<Mark> mark;           // until known

        // What the player knows the map by: its title once read, its file name until then and
        // when it cannot be read.
        std::wstring title() const {
            return reading && reading->info ? reading->info->title : fileNameOf(fullPath);
        }
    };

    // The marks the rules follow; null (the default) means none. The caller keeps them alive and
    // calls remark() after changing them.
    void setMarks(const MapMarks* marks);
    // A rebuild began: no map is known any more.
    void startOver();
    // A map the rebuild found; its position among the entries is what its reading comes back with.
    void add(const CataloguedMap& map);
    // The reading of entry `index` arrived, with the stamp it was read under and, when a mark has
    // its size, its content. True when the map may now be picked.
    bool read(std::size_t index, MapReading reading, std::optional<FileStamp> stamp = std::nullopt,
              std::optional<MapContent> content = std::nullopt);
    // True while entry `index`'s mark waits for its content: a mark has its size, or its size is
    // not known.
    bool waitsForContent(std::size_t index) const;
    // Entry `index` was hashed.
    void hashed(std::size_t index, const MapContent& content);
    // A new filter: the maps to pick are found again among the readings, without reading a file.
    void setFilter(const MapFilter& filter);
    const MapFilter& filter() const noexcept { return filter_; }
    // The marks changed: every mark is looked up again. Entries whose size a mark now has and
    // whose content is not known are left unknown (marksToHash() names them).
    void remark();
    // Entries whose mark waits for their content.
    std::vector<std::size_t> marksToHash() const;

    // True when the picks depend on more than the catalogue: a filter, or a "never" mark.
    bool rulesActive() const;
    // Whether entry `index` may be picked, whatever its kind.
    bool pickable(std::size_t index) const {
        return index < entries_.size() && mayPick(entries_[index]);
    }
    // The maps to pick of the ticked kinds (all, scm or scx, as the update chooses); null when
    // neither kind is ticked.
    MapCollection* chosenList(bool scmTicked, bool scxTicked);
    FitCounts counts(const MapFilter& filter, bool scmTicked, bool scxTicked) const;
    // What the map the catalogue holds under `gamePath` said, when it was read. A search: it runs
    // once per pick, and an index would cost every rebuild, filter or not.
    const MapReading* readingOf(const std::wstring& gamePath) const;
    const std::vector<Entry>& entries() const noexcept { return entries_; }

  private:
    bool mayPick(const Entry& entry) const;
    bool keepIfPickable(const Entry& entry);
    void lookUpMark(Entry& entry) const;
    void refill();

    MapFilter filter_;
    const MapMarks* marks_ = nullptr;
    std::vector<Entry> entries_;
    MapCollection allFit_;
    MapCollection scmFit_;
    MapCollection scxFit_;
};

// Reads every map of `maps`, both kinds, in catalogue order, through the cache file (loaded first
// and written back once at the end), as the window's reading thread does: /pick and /list leave
// the cache holding the whole folder. `reader` empty means readMapFile; a map whose size a mark
// has is hashed too, by `hasher` (mapContentOf when empty). `read` is told of each map once it is
// read.
void readEveryMap(FittingMaps& maps, const std::wstring& cacheFile, MapFileReader reader,
                  MapContentReader hasher = {},
                  const std::function<void(const FittingMaps::Entry&)>& read = {});

}  // namespace qrvl
