// The reading thread started and stopped as the rules and windows need it, and marks set and kept.
#include "ui/map_library.h"

#include <utility>

#include "common/native_path.h"
#include "mapfile/map_reader.h"
#include "ui/config_ini.h"

namespace qrvl {

MapLibrary::MapLibrary(MapFileReader reader, MapContentReader hasher,
                       std::function<void()> readingsWaiting)
    : reader_(reader ? std::move(reader) : MapFileReader(readMapFile)),
      hasher_(hasher ? std::move(hasher) : MapContentReader(mapContentOf)),
      readingsWaiting_(std::move(readingsWaiting)) {
    maps_.setMarks(&marks_);
}

MapLibrary::~MapLibrary() = default;

void MapLibrary::open(const std::wstring& appPath) {
    cacheFile_ = mapCacheFile(appPath);
    marksFile_ = marksFile(appPath);
    if (std::optional<MapMarks> loaded = loadMapMarks(marksFile_)) {
        marks_ = std::move(*loaded);
    } else {
        marksWritable_ = false;
        marksProblem_ = std::wstring(kMarksFileName) +
                        L" cannot be read: marks made now last "
                        L"only until the program ends";
    }
    maps_.remark();
    needReadings();
}

void MapLibrary::rebuildStep(bool started) {
    if (!started) {
        rebuildDone_ = true;
        handOverMaps();
        if (worker_) {
            worker_->allGiven();
        }
        return;
    }
    maps_.startOver();
    found_.clear();
    rebuildDone_ = false;
    if (worker_) {
        worker_->startOver();
    }
}

void MapLibrary::mapFound(const CataloguedMap& map) {
    maps_.add(map);
    if (worker_) {
        found_.push_back({*map.file.path, map.file.stamp});
    }
}

void MapLibrary::handOverMaps() {
    if (worker_ && !found_.empty()) {
        worker_->add(std::exchange(found_, {}));
    }
}

void MapLibrary::setFilter(const MapFilter& filter) {
    maps_.setFilter(filter);
    needReadings();
}

void MapLibrary::setWatched(bool watched) {
    watched_ = watched;
    needReadings();
}

void MapLibrary::needReadings() {
    if (!maps_.rulesActive() && !watched_) {
        // Nothing asks for a map's file: the reading stops after the map in hand.
        worker_.reset();
    } else if (!worker_) {
        startReading();
    }
}

void MapLibrary::startReading() {
    worker_ = std::make_unique<MapReadingWorker>(reader_, cacheFile_, readingsWaiting_, hasher_);
    worker_->hashSizes(marks_.sizes());
    // The maps the latest rebuild found so far; the rest follow as its scan finds them.
    found_.clear();
    for (const FittingMaps::Entry& entry : maps_.entries()) {
        found_.push_back({entry.fullPath, entry.stamp});
    }
    handOverMaps();
    if (rebuildDone_) {
        worker_->allGiven();
    }
}

bool MapLibrary::takeReadings(bool scmTicked, bool scxTicked) {
    if (!worker_) {
        return false;
    }
    for (MapRead& read : worker_->take()) {
        maps_.read(read.index, std::move(read.reading), read.stamp, read.content);
    }
    const MapCollection* fitting = maps_.chosenList(scmTicked, scxTicked);
    if (!fitting || fitting->Count() < 1) {
        return false;
    }
    if (!rebuildDone_) {
        // A map to pick is known: the rest are read once the scan is over, rather than slowing
        // it down.
        worker_->holdUntilAllGiven();
    }
    return true;
}

bool MapLibrary::setMark(std::size_t index, Mark mark) {
    if (index >= maps_.entries().size()) {
        return false;
    }
    const FittingMaps::Entry& entry = maps_.entries()[index];
    if (!entry.content) {
        const std::optional<MapContent> content = hasher_(entry.fullPath);
        if (!content) {
            return false;
        }
        maps_.hashed(index, *content);
    }
    const FittingMaps::Entry& known = maps_.entries()[index];
    const std::wstring title =
        known.reading && known.reading->info ? known.reading->info->title : std::wstring();
    marks_.set(*known.content, mark, title, fileNameOf(known.fullPath));
    if (marksWritable_) {
        marksProblem_ =
            saveMapMarks(marks_, marksFile_)
                ? std::wstring()
                : L"Cannot write " + marksFile_ + L": marks last only until the program ends";
    }
    maps_.remark();
    hashWaitingMarks(known.content->size);
    if (worker_) {
        worker_->hashSizes(marks_.sizes());
    }
    needReadings();
    return true;
}

void MapLibrary::hashWaitingMarks(std::uint64_t size) {
    // A new mark's size may be another map's too: only a hash tells whether it is a copy. Few
    // maps share a size, so they are hashed here rather than handed to the reading thread.
    for (const std::size_t index : maps_.marksToHash()) {
        const FittingMaps::Entry& entry = maps_.entries()[index];
        if (entry.stamp && entry.stamp->size != size) {
            continue;
        }
        if (const std::optional<MapContent> content = hasher_(entry.fullPath)) {
            maps_.hashed(index, *content);
        }
    }
}

}  // namespace qrvl
