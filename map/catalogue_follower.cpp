// Keeps the catalogue in step with the maps directory: what counts as a change of maps, when the
// changes have settled, and which maps may no longer be drawn.
#include "map/catalogue_follower.h"

#include <algorithm>
#include <utility>

namespace qrvl {
namespace {

enum class Effect { None, Added, Removed };

Effect effectOf(const WatchedChange& change) {
    using Action = WatchedChange::Action;
    if (change.action == Action::Lost) {
        return Effect::Removed;
    }
    if (!change.directory) {
        // Only the file's own name is a map name; the directories above it are not looked at.
        const std::size_t slash = change.name.find_last_of(L"\\/");
        const std::wstring_view name =
            std::wstring_view(change.name).substr(slash == std::wstring::npos ? 0 : slash + 1);
        if (mapKindOf(name) == MapKind::None) {
            return Effect::None;
        }
    }
    // A directory may hold maps, and a renamed or removed one takes its maps with it.
    const bool gone = change.action == Action::Removed || change.action == Action::RenamedFrom;
    return gone ? Effect::Removed : Effect::Added;
}

}  // namespace

CatalogueFollower::CatalogueFollower(Catalogue& catalogue, std::shared_ptr<DirectoryWatch> watch,
                                     FollowerHost& host)
    : catalogue_(catalogue), watch_(std::move(watch)), host_(host) {}

void CatalogueFollower::follow(const std::wstring& directoryText) {
    text_ = directoryText;
    // The rebuild below takes in whatever changed so far.
    unsettled_ = false;
    host_.StopSettleTimer();
    // Watching first, so that nothing changed during the scan goes unseen. Wine also watches a
    // sub-directory only once the process has opened it since the watch began, which the scan
    // does for every one of them (and every later scan for the ones made since).
    watch_->watch(text_, [&host = host_] { host.PostWatchChanges(); });
    rebuild();
}

void CatalogueFollower::changesWaiting() {
    bool mapsChanged = false;
    for (const WatchedChange& change : watch_->takeChanges()) {
        const Effect effect = effectOf(change);
        if (effect == Effect::None) {
            continue;
        }
        mapsChanged = true;
        ++changes_;
        if (effect == Effect::Removed) {
            lastRemoval_ = changes_;
        }
    }
    if (mapsChanged) {
        unsettled_ = true;
        host_.StartSettleTimer(kSettleMilliseconds);
    }
}

void CatalogueFollower::settled() {
    if (!unsettled_) {
        return;
    }
    if (rebuilding_ > 0) {
        host_.StartSettleTimer(kSettleMilliseconds);
        return;
    }
    unsettled_ = false;
    rebuild();
}

bool CatalogueFollower::mayPick(const std::wstring& map) {
    return lastRemoval_ <= caughtUp_ || watch_->fileExists(map);
}

void CatalogueFollower::rebuild() {
    const std::uint64_t begun = changes_;
    struct Running {
        int& depth;
        ~Running() { --depth; }
    };
    ++rebuilding_;
    const Running running{rebuilding_};
    catalogue_.rebuildCatalogue(text_);
    // A rebuild interrupted by a newer one leaves the newer one's (later) count in place.
    caughtUp_ = std::max(caughtUp_, begun);
}

}  // namespace qrvl
