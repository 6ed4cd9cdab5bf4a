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
                     std::shared_ptr<AnsiPathApi> ansiPaths)
    : lister_(std::move(lister)), ansiPaths_(std::move(ansiPaths)) {}

void Catalogue::rebuildCatalogue(const std::wstring& directoryText) {
    // A new generation tells every scan still suspended in a yield that its collections are gone.
    ScanRun run{++generation_, {}};
    scmMaps_ = MapCollection{};
    scxMaps_ = MapCollection{};
    allMaps_ = MapCollection{};
    leftOutMaps_ = 0;
    scanMaps(directoryText, run);
}

// The one place a map enters the collections.
void Catalogue::appendMap(MapKind kind, const std::wstring& path) {
    if (kind == MapKind::None) {
        return;
    }
    // A path with "?" for a letter, or too long for the ANSI calls, names nothing the game can
    // open: such a map would be a pick the game cannot load.
    const std::optional<std::wstring> openable = ansiOpenablePath(*ansiPaths_, path);
    if (!openable) {
        ++leftOutMaps_;
        return;
    }
    (kind == MapKind::BroodWar ? scxMaps_ : scmMaps_).Add(*openable);
    allMaps_.Add(*openable);
}

void Catalogue::scanMaps(const std::wstring& directory, ScanRun& run) {
    const std::unique_ptr<Directory> folder = lister_->open(directory);
    if (!folder) {
        return;
    }
    // Links, junctions and mounts can lead back into the tree; each directory is walked once.
    if (!run.entered.insert(folder->identity()).second) {
        return;
    }

    if (const auto files = folder->files()) {
        for (const DirectoryFile& file : *files) {
            if (!file.path) {
                continue;
            }
            appendMap(mapKindOf(file.name), *file.path);
        }
    }

    const auto subDirectories = folder->subDirectories();
    if (!subDirectories) {
        return;
    }
    for (const std::wstring& subDirectory : *subDirectories) {
        if (yield_) {
            // A copy, since the events run in the yield may set a new hook.
            const std::function<void()> yield = yield_;
            yield();
        }
        if (!current(run)) {
            return;
        }
        scanMaps(subDirectory, run);
        if (!current(run)) {
            return;
        }
    }
}

}  // namespace qrvl
