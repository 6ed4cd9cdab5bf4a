// The maps of the latest rebuild with what the window knows of each: their readings, the reading
// thread that brings them, and the player's marks with their file.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "map/catalogue.h"
#include "mapfile/cached_reading.h"
#include "mapfile/map_filter.h"
#include "mapfile/map_marks.h"
#include "mapfile/map_reading_worker.h"
#include "ui/fitting_maps.h"

namespace qrvl {

// Lives on the window's thread. The reading thread runs only while something needs readings: a
// filter, a "never" mark (whose maps must be found), or a window that shows the maps. Without
// any of them no map file is opened.
class MapLibrary {
  public:
    // `reader` and `hasher` read and hash a map file (readMapFile and mapContentOf when empty);
    // `readingsWaiting` is called from the reading thread and must make takeReadings() run on
    // the window's thread.
    MapLibrary(MapFileReader reader, MapContentReader hasher,
               std::function<void()> readingsWaiting);
    ~MapLibrary();
    MapLibrary(const MapLibrary&) = delete;
    MapLibrary& operator=(const MapLibrary&) = delete;

    // Loads the marks file beside config.ini in `appPath`, and keeps the cache there.
    void open(const std::wstring& appPath);

    // The catalogue's rebuild, as its observers and its yield tell it.
    void rebuildStep(bool started);
    void mapFound(const CataloguedMap& map);
    // Gives the reading thread the maps found since the scan last yielded.
    void handOverMaps();

    void setFilter(const MapFilter& filter);
    // A window that shows every map opened (true) or closed.
    void setWatched(bool watched);

    // Takes the readings that wait. True when a map to pick is known (of the kinds asked for),
    // in which case the reading leaves the rest of the scan alone until it ends.
    bool takeReadings(bool scmTicked, bool scxTicked);

    // Sets or clears the mark of entry `index`, hashing the map first when its content is not
    // known, and writes the marks file. False when the map cannot be read; the mark is then left
    // as it was. A file that cannot be written keeps the marks for the session (marksProblem()).
    bool setMark(std::size_t index, Mark mark);
    const MapMarks& marks() const noexcept { return marks_; }
    // Why the marks are not in their file: empty while they are.
    const std::wstring& marksProblem() const noexcept { return marksProblem_; }

    FittingMaps& maps() noexcept { return maps_; }
    const FittingMaps& maps() const noexcept { return maps_; }

  private:
    void needReadings();
    void startReading();
    void hashWaitingMarks(std::uint64_t size);

    MapFileReader reader_;
    MapContentReader hasher_;
    std::function<void()> readingsWaiting_;
    std::wstring cacheFile_;
    std::wstring marksFile_;
    MapMarks marks_;
    // False when the file was there but could not be read: it is then never written over.
    bool marksWritable_ = true;
    std::wstring marksProblem_;
    // Every map of the latest rebuild, what each said and which fit: kept without a filter too,
    // so that a filter chosen later applies without a rescan.
    FittingMaps maps_;
    std::unique_ptr<MapReadingWorker> worker_;
    // Maps the scan found since it last yielded: handed to the worker together.
    std::vector<MapToRead> found_;
    bool rebuildDone_ = false;
    bool watched_ = false;
};

}  // namespace qrvl
