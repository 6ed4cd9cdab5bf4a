// Keeps the catalogue in step with the maps directory: watches it, and rebuilds the catalogue
// once the maps in it have changed and the changes have settled.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "map/catalogue.h"
#include "map/directory_watch.h"

namespace qrvl {

// What the follower asks of the window whose thread it runs on.
class FollowerHost {
  public:
    virtual ~FollowerHost() = default;
    // Called from the watch's own thread: asks for CatalogueFollower::changesWaiting on the
    // window's thread, through whatever event loop is running there.
    virtual void PostWatchChanges() = 0;
    // A one-shot timer: CatalogueFollower::settled once `milliseconds` have passed, unless it is
    // started again (which starts the wait over) or stopped first.
    virtual void StartSettleTimer(std::uint32_t milliseconds) = 0;
    virtual void StopSettleTimer() = 0;
};

// How long the maps must stay unchanged before the catalogue is rebuilt for them: a burst of
// changes (an archive being unpacked) costs one rebuild, and a rebuild of an ordinary
// collection still ends within about three seconds of the last change.
inline constexpr std::uint32_t kSettleMilliseconds = 1500;

// Everything here runs on the window's thread. Rebuilds run the catalogue's own scan, yields
// included, so any handler may nest inside them, a new directory text among them.
class CatalogueFollower {
  public:
    CatalogueFollower(Catalogue& catalogue, std::shared_ptr<DirectoryWatch> watch,
                      FollowerHost& host);

    // A new directory text: the watch moves to it, then the catalogue is rebuilt for it. A
    // directory that cannot be watched is still scanned; it is then only scanned again when the
    // text changes, as if there were no watch.
    void follow(const std::wstring& directoryText);

    // The watch's wake-up reached the window's thread. A map added, removed or renamed (its
    // name's last four characters are exactly ".scm" or ".scx"), any directory added, removed or
    // renamed, and lost changes start the settle timer over; other files cost nothing more.
    void changesWaiting();

    // The settle timer ran out: the catalogue is rebuilt for the current text. While a rebuild
    // is running the timer is started again instead, so that rebuilds do not nest. The watch
    // stays as it is: one that ended by itself (its directory went away) is only renewed by a
    // new text, so that a directory whose watch keeps failing costs no rebuild after rebuild.
    void settled();

    // Whether a drawn map may be written. Once the watch has seen a map (or a directory, or
    // anything, when changes were lost) go, and until a rebuild begun after that has ended, a
    // map counts only if its file is still there: the collections may spell a map differently
    // from the watch (a short path), so the file itself is asked, not the collections' text.
    bool mayPick(const std::wstring& map);

  private:
    void rebuild();

    Catalogue& catalogue_;
    std::shared_ptr<DirectoryWatch> watch_;
    FollowerHost& host_;
    std::wstring text_;
    // Map changes counted so far, the count at the latest removal, and the count that the
    // collections are known to include (the count when the latest finished rebuild began).
    std::uint64_t changes_ = 0;
    std::uint64_t lastRemoval_ = 0;
    std::uint64_t caughtUp_ = 0;
    int rebuilding_ = 0;
    bool unsettled_ = false;
};

}  // namespace qrvl
