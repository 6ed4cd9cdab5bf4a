// The catalogue scan: a depth-first walk that appends every map to the three collections.
#include "map/catalogue.h"

namespace qrvl {

MapKind mapKindOf(std::wstring_view fileName) {
    const std::wstring_view tail =
        fileName.size() < 4 ? fileName : fileName.substr(fileName.size() - 4);
    if (tail == L".scx") {
        return MapKind::BroodWar;
    }
    if (tail == L".scm") {
        return MapKind::Starcraft;
    }
    return MapKind::None;
}

Catalogue::Catalogue(std::shared_ptr<DirectoryLister> lister,
                     std::shared_ptr<AnsiPathApi> ansiPaths, std::shared_ptr<Clock> clock)
    : lister_(std::move(lister)), ansiPaths_(std::move(ansiPaths)), clock_(std::move(clock)) {}

void Catalogue::rebuildCatalogue(const std::wstring& directoryText) {
    // A new generation tells every scan still suspended in a yield that its collections are gone.
    ScanRun run{++generation_, {}};
    scmMaps_ = MapCollection{};
    scxMaps_ = MapCollection{};
    allMaps_ = MapCollection{};
    leftOutMaps_ = 0;
    lastYield_.reset();
    if (rebuildObserver_) {
        rebuildObserver_(true);
    }
    scanMaps(lister_->open(directoryText), run);
    if (rebuildObserver_ && current(run)) {
        rebuildObserver_(false);
    }
}

void Catalogue::appendMap(MapKind kind, const DirectoryFile& file) {
    const std::wstring& path = *file.path;
    // A path with "?" for a letter, or too long for the ANSI calls, names nothing the game can
    // open: such a map would be a pick the game cannot load.
    const std::optional<std::wstring> openable = ansiOpenablePath(*ansiPaths_, path);
    if (!openable) {
        ++leftOutMaps_;
        return;
    }
    (kind == MapKind::BroodWar ? scxMaps_ : scmMaps_).Add(*openable);
    allMaps_.Add(*openable);
    if (observer_) {
        observer_(CataloguedMap{*openable, file, kind});
    }
}

void Catalogue::yieldWhenDue() {
    if (!yield_) {
        return;
    }
    // Unsigned, so that a clock set back counts as due rather than as a long wait.
    const std::uint64_t now = clock_->ticks();
    if (lastYield_ && now - *lastYield_ < kCatalogueYieldNanoseconds) {
        return;
    }
    lastYield_ = now;
    // A copy, since the events run in the yield may set a new hook.
    const std::function<void()> yield = yield_;
    yield();
}

void Catalogue::scanMaps(std::unique_ptr<Directory> folder, ScanRun& run) {
    if (!folder) {
        return;
    }
    // Links, junctions and mounts can lead back into the tree; each directory is walked once.
    if (!run.entered.insert(folder->identity()).second) {
        return;
    }

    if (const auto& files = folder->files()) {
        for (const DirectoryFile& file : *files) {
            const MapKind kind = mapKindOf(file.name);
            if (kind != MapKind::None && file.path) {
                appendMap(kind, file);
            }
        }
    }

    const auto& subDirectories = folder->subDirectories();
    if (!subDirectories) {
        return;
    }
    for (std::size_t i = 0; i < subDirectories->size(); ++i) {
        yieldWhenDue();
        if (!current(run)) {
            return;
        }
        scanMaps(folder->openSubDirectory(i), run);
        if (!current(run)) {
            return;
        }
    }
}

}  // namespace qrvl
