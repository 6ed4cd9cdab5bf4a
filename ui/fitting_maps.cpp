// Keeping the fitting maps in step with the readings and the filter.
#include "ui/fitting_maps.h"

#include "mapfile/map_cache.h"
#include "mapfile/map_reader.h"

namespace qrvl {

namespace {

bool ticked(MapKind kind, bool scmTicked, bool scxTicked) {
    return kind == MapKind::BroodWar ? scxTicked : scmTicked;
}

}  // namespace

void FittingMaps::startOver() {
    entries_.clear();
    allFit_ = {};
    scmFit_ = {};
    scxFit_ = {};
}

void FittingMaps::add(const CataloguedMap& map) {
    entries_.push_back({map.gamePath, *map.file.path, map.file.stamp, map.kind, std::nullopt});
}

bool FittingMaps::read(std::size_t index, MapReading reading) {
    if (index >= entries_.size()) {
        return false;
    }
    Entry& entry = entries_[index];
    entry.reading = std::move(reading);
    return keepIfFits(entry);
}

void FittingMaps::setFilter(const MapFilter& filter) {
    filter_ = filter;
    allFit_ = {};
    scmFit_ = {};
    scxFit_ = {};
    for (const Entry& entry : entries_) {
        keepIfFits(entry);
    }
}

bool FittingMaps::keepIfFits(const Entry& entry) {
    if (!entry.reading || !filter_.fits(*entry.reading)) {
        return false;
    }
    (entry.kind == MapKind::BroodWar ? scxFit_ : scmFit_).Add(entry.gamePath);
    allFit_.Add(entry.gamePath);
    return true;
}

MapCollection* FittingMaps::chosenList(bool scmTicked, bool scxTicked) {
    if (scmTicked && scxTicked) {
        return &allFit_;
    }
    if (scmTicked) {
        return &scmFit_;
    }
    return scxTicked ? &scxFit_ : nullptr;
}

FitCounts FittingMaps::counts(const MapFilter& filter, bool scmTicked, bool scxTicked) const {
    FitCounts counts;
    for (const Entry& entry : entries_) {
        if (!ticked(entry.kind, scmTicked, scxTicked)) {
            continue;
        }
        ++counts.maps;
        if (!filter.active()) {
            // Any map fits, read or not.
            ++counts.fit;
        }
        if (!entry.reading) {
            continue;
        }
        ++counts.read;
        counts.unreadable += entry.reading->info ? 0 : 1;
        counts.fit += filter.active() && filter.fits(*entry.reading) ? 1 : 0;
    }
    return counts;
}

const MapReading* FittingMaps::readingOf(const std::wstring& gamePath) const {
    for (const Entry& entry : entries_) {
        if (entry.gamePath == gamePath) {
            return entry.reading ? &*entry.reading : nullptr;
        }
    }
    return nullptr;
}

void readEveryMap(FittingMaps& maps, const std::wstring& cacheFile, MapFileReader reader,
                  const std::function<void(const FittingMaps::Entry&)>& read) {
    if (!reader) {
        reader = readMapFile;
    }
    MapCache cache = loadMapCache(cacheFile);
    for (std::size_t i = 0; i < maps.entries().size(); ++i) {
        const FittingMaps::Entry& entry = maps.entries()[i];
        maps.read(i, readThroughCache(cache, entry.fullPath, entry.stamp, reader));
        if (read) {
            read(entry);
        }
    }
    // Where the folder cannot be written the maps are only read again next time.
    saveMapCache(cache, cacheFile);
}

}  // namespace qrvl
