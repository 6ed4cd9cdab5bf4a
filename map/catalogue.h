// The map catalogue: every map under the chosen directory, and the Starcraft and Brood War maps.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "map/ansi_path.h"
#include "map/directory_lister.h"
#include "map/map_collection.h"
#include "map/random_source.h"

namespace qrvl {

// The kind of map a file name names: only the last four characters count, case-sensitive.
enum class MapKind { None, Starcraft, BroodWar };
MapKind mapKindOf(std::wstring_view fileName);

// How long a scan runs between two yields at most, give or take one directory's listing: the
// window handles its messages well within the 50 ms that a user notices.
inline constexpr std::uint64_t kCatalogueYieldNanoseconds = 25'000'000;

// One map as a rebuild takes it in: the path the game is given (ansiOpenablePath) and the file
// as the scan listed it.
struct CataloguedMap {
    const std::wstring& gamePath;
    const DirectoryFile& file;
    MapKind kind;
};

class Catalogue {
  public:
    // Every map goes into the collections under a path the game's ANSI calls can open
    // (ansiOpenablePath), so that the game can open every pick. The clock times the yields.
    explicit Catalogue(std::shared_ptr<DirectoryLister> lister = systemDirectoryLister(),
                       std::shared_ptr<AnsiPathApi> ansiPaths = systemAnsiPathApi(),
                       std::shared_ptr<Clock> clock = systemClock());

    MapCollection& allMaps() { return allMaps_; }
    MapCollection& scmMaps() { return scmMaps_; }
    MapCollection& scxMaps() { return scxMaps_; }
    // Maps of the latest rebuild left out because the game could not open them under any path.
    std::int32_t leftOutMaps() const noexcept { return leftOutMaps_; }

    // Called before a sub-directory is entered: before the first one of each rebuild, then
    // whenever kCatalogueYieldNanoseconds have passed since the last call. The window runs its
    // pending events in it, which may start updates or a new rebuild.
    void setYield(std::function<void()> yield) { yield_ = std::move(yield); }

    // Called for each map as it joins the collections, in catalogue order; for those who read
    // the maps themselves (the listing, the filter). Unset, the scan never looks at a map's file.
    void setMapObserver(std::function<void(const CataloguedMap&)> observer) {
        observer_ = std::move(observer);
    }

    // Told when a rebuild empties the collections (true), and when its scan has walked the whole
    // tree (false); a rebuild that a newer one interrupted never reports its end.
    void setRebuildObserver(std::function<void(bool started)> observer) {
        rebuildObserver_ = std::move(observer);
    }

    // Empties the three collections and scans the directory named by the text, used unchanged.
    // A rebuild started from inside the yield replaces the collections, and the scan it
    // interrupted stops at its next step without adding anything more.
    void rebuildCatalogue(const std::wstring& directoryText);

  private:
    struct ScanRun {
        std::uint64_t generation;
        std::unordered_set<std::string> entered;
    };

    void scanMaps(std::unique_ptr<Directory> folder, ScanRun& run);
    // The one place where a map joins the catalogue.
    void appendMap(MapKind kind, const DirectoryFile& file);
    void yieldWhenDue();
    bool current(const ScanRun& run) const { return run.generation == generation_; }

    std::shared_ptr<DirectoryLister> lister_;
    std::shared_ptr<AnsiPathApi> ansiPaths_;
    std::shared_ptr<Clock> clock_;
    std::function<void()> yield_;
    std::function<void(const CataloguedMap&)> observer_;
    std::function<void(bool)> rebuildObserver_;
    std::optional<std::uint64_t> lastYield_;
    std::uint64_t generation_ = 0;
    MapCollection allMaps_;
    MapCollection scmMaps_;
    MapCollection scxMaps_;
    std::int32_t leftOutMaps_ = 0;
};

}  // namespace qrvl
