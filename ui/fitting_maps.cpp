// Keeping the maps to pick in step with the readings, the marks and the filter.
#include "ui/fitting_maps.h"

#include "mapfile/file_bytes.h"
#include "mapfile/map_cache.h"
#include "mapfile/map_reader.h"

namespace qrvl {

namespace {

bool ticked(MapKind kind, bool scmTicked, bool scxTicked) {
    return kind == MapKind::BroodWar ? scxTicked : scmTicked;
}

}  // namespace

void FittingMaps::setMarks(const MapMarks* marks) {
    marks_ = marks;
    remark();
}

void FittingMaps::startOver() {
    entries_.clear();
    allFit_ = {};
    scmFit_ = {};
    scxFit_ = {};
}

void FittingMaps::add(const CataloguedMap& map) {
    entries_.push_back({map.gamePath, *map.file.path, map.file.stamp, map.kind, std::nullopt,
                        std::nullopt, std::nullopt});
    lookUpMark(entries_.back());
    keepIfPickable(entries_.back());
}

void FittingMaps::lookUpMark(Entry& entry) const {
    if (!marks_ || marks_->empty()) {
        entry.mark = Mark::None;
    } else if (entry.content) {
        entry.mark = marks_->markOf(*entry.content);
    } else if (entry.stamp && !marks_->sizeMarked(entry.stamp->size)) {
        entry.mark = Mark::None;
    } else {
        entry.mark.reset();
    }
}

bool FittingMaps::read(std::size_t index, MapReading reading, std::optional<FileStamp> stamp,
                       std::optional<MapContent> content) {
    if (index >= entries_.size()) {
        return false;
    }
    Entry& entry = entries_[index];
    const bool couldPick = mayPick(entry);
    entry.reading = std::move(reading);
    if (stamp) {
        entry.stamp = stamp;
    }
    if (content) {
        entry.content = content;
    }
    lookUpMark(entry);
    // A map the rules let through without its reading is in the lists already.
    return !couldPick && keepIfPickable(entry);
}

void FittingMaps::hashed(std::size_t index, const MapContent& content) {
    if (index >= entries_.size()) {
        return;
    }
    Entry& entry = entries_[index];
    const bool couldPick = mayPick(entry);
    entry.content = content;
    lookUpMark(entry);
    if (!couldPick) {
        keepIfPickable(entry);
    }
}

bool FittingMaps::waitsForContent(std::size_t index) const {
    return index < entries_.size() && !entries_[index].mark;
}

void FittingMaps::setFilter(const MapFilter& filter) {
    filter_ = filter;
    refill();
}

void FittingMaps::remark() {
    for (Entry& entry : entries_) {
        lookUpMark(entry);
    }
    refill();
}

std::vector<std::size_t> FittingMaps::marksToHash() const {
    std::vector<std::size_t> waiting;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (!entries_[i].mark) {
            waiting.push_back(i);
        }
    }
    return waiting;
}

void FittingMaps::refill() {
    allFit_ = {};
    scmFit_ = {};
    scxFit_ = {};
    for (const Entry& entry : entries_) {
        keepIfPickable(entry);
    }
}

bool FittingMaps::rulesActive() const {
    return filter_.active() || (marks_ && marks_->count(Mark::Never) > 0);
}

bool FittingMaps::mayPick(const Entry& entry) const {
    if (!entry.mark || !filter_.allows(*entry.mark)) {
        return false;
    }
    return !filter_.needsReadings() || (entry.reading && filter_.fits(*entry.reading));
}

bool FittingMaps::keepIfPickable(const Entry& entry) {
    if (!mayPick(entry)) {
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
        const bool allowed = entry.mark && filter.allows(*entry.mark);
        if (!filter.needsReadings() && allowed) {
            // Read or not, the groups let it through.
            ++counts.fit;
        }
        if (!entry.reading) {
            continue;
        }
        ++counts.read;
        counts.unreadable += entry.reading->info ? 0 : 1;
        counts.fit += filter.needsReadings() && allowed && filter.fits(*entry.reading) ? 1 : 0;
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
                  MapContentReader hasher,
                  const std::function<void(const FittingMaps::Entry&)>& read) {
    if (!reader) {
        reader = readMapFile;
    }
    if (!hasher) {
        hasher = mapContentOf;
    }
    MapCache cache = loadMapCache(cacheFile);
    for (std::size_t i = 0; i < maps.entries().size(); ++i) {
        const FittingMaps::Entry& entry = maps.entries()[i];
        const std::optional<FileStamp> stamp =
            entry.stamp ? entry.stamp : fileStamp(entry.fullPath);
        maps.read(i, readThroughCache(cache, entry.fullPath, stamp, reader), stamp);
        if (maps.waitsForContent(i)) {
            if (const std::optional<MapContent> content = hasher(entry.fullPath)) {
                maps.hashed(i, *content);
            }
        }
        if (read) {
            read(maps.entries()[i]);
        }
    }
    // Where the folder cannot be written the maps are only read again next time.
    saveMapCache(cache, cacheFile);
}

}  // namespace qrvl
