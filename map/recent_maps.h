// The recent-maps update: a random map of the catalogue put at the head of the game's list.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "map/catalogue.h"
#include "map/map_collection.h"
#include "map/random_source.h"
#include "registry/registry_api.h"
#include "registry/registry_routines.h"

namespace qrvl {

// Where the game keeps its list of recently used maps, most recent first.
inline constexpr wchar_t kGameKeyPath[] = L"software\\Blizzard Entertainment\\Starcraft";
inline constexpr wchar_t kRecentMapsValue[] = L"Recent Maps";
// The game shows five recent maps: the pick and four older entries.
inline constexpr std::size_t kOlderEntriesKept = 4;
// Draws an update makes at most when its picks are refused (see setPickCheck).
inline constexpr int kDrawsPerUpdate = 8;

// The multi-string text an update writes: the pick, then the first four old pieces, each followed
// by a NUL, and one more NUL that closes the list.
std::wstring recentMapsText(const std::wstring& pick, const std::vector<std::wstring>& oldPieces);

// The old value's text split at every NUL, at most `limit` pieces; an empty text gives none.
std::vector<std::wstring> splitPieces(const std::wstring& text, std::size_t limit);

// Owns the registry object that every update uses. Updates never raise: a registry member that
// fails with qrvl::Error is passed over, and nothing is shown or recorded.
class RecentMapsUpdate {
  public:
    explicit RecentMapsUpdate(
        std::shared_ptr<reg::RegistryApi> api = reg::systemRegistryApi(),
        std::shared_ptr<RandomSource> random = std::make_shared<ClockSeededRandom>());

    // allMaps when both boxes are ticked, scmMaps or scxMaps when one is, null when neither is.
    static MapCollection* chosenList(bool scmTicked, bool scxTicked, Catalogue& catalogue);

    // One update from the chosen list, or nothing when neither box is ticked. True when it wrote.
    bool chooseList(bool scmTicked, bool scxTicked, Catalogue& catalogue);

    // One update from `col`: reads the old list, re-seeds, and unless `col` is empty writes the
    // pick followed by at most four old entries, as REG_MULTI_SZ. True when the write succeeded;
    // the window never looks, the one-pick command tells the player why it did not.
    bool modifyReg(const MapCollection& col);

    // Puts `map` at the head as an update puts its pick (the old list read afresh and four of its
    // entries kept), without a draw: the player chose it. True when the write succeeded.
    bool writeFirst(const std::wstring& map);

    // Asked about each drawn map before it is written. A refused map is drawn again, up to
    // kDrawsPerUpdate draws in all, and nothing is written when every draw is refused. Without a
    // check (the default), or while it refuses nothing, an update draws exactly once.
    void setPickCheck(std::function<bool(const std::wstring&)> mayPick) {
        mayPick_ = std::move(mayPick);
    }

    RegistryRoutines& registry() { return registry_; }
    // The map the latest successful write put at the head; empty before the first.
    const std::wstring& lastPick() const noexcept { return lastPick_; }

  private:
    // Sets the key anew, as every update does, and reads the old list's first pieces.
    std::vector<std::wstring> readOldPieces();
    bool write(const std::wstring& pick, const std::vector<std::wstring>& oldPieces);
    const std::wstring* drawPick(const MapCollection& col);

    RegistryRoutines registry_;
    std::shared_ptr<RandomSource> random_;
    std::function<bool(const std::wstring&)> mayPick_;
    std::wstring lastPick_;
};

}  // namespace qrvl
