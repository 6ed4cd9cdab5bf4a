// A thread that reads the catalogue's maps through the cache while the window goes on.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "common/file_stamp.h"
#include "mapfile/cached_reading.h"
#include "mapfile/map_cache.h"
#include "mapfile/map_marks.h"

namespace qrvl {

// A map to read: its full path (the cache's key) and the stamp its listing gave, if any.
struct MapToRead {
    std::wstring path;
    std::optional<FileStamp> stamp;
};

// Maps taken from the queue at a time, and how long a batch reads before handing over.
inline constexpr std::size_t kBatchMaps = 64;
inline constexpr std::chrono::milliseconds kBatchTime{5};

// A reading, with the position of its map among those given since the last startOver, the stamp
// it was read under, and the map's content when a marked size asked for it.
struct MapRead {
    std::size_t index;
    MapReading reading;
    std::optional<FileStamp> stamp = std::nullopt;
    std::optional<MapContent> content = std::nullopt;
};

// Maps are read one at a time in the order given, each through the cache. The window's thread
// gives the maps and takes the readings; the worker only wakes it when readings wait, and sleeps
// when it has read everything given. Once a round's maps are all given and read, the cache is
// written back. Every member but the constructor runs on the thread that made the worker.
class MapReadingWorker {
  public:
    // `readingsWaiting` runs on the worker's thread whenever a reading joins an empty outbox: it
    // posts the window a message, whose handler calls take(). `cacheFile` empty keeps no cache.
    // `hasher` empty means mapContentOf.
    MapReadingWorker(MapFileReader reader, std::wstring cacheFile,
                     std::function<void()> readingsWaiting, MapContentReader hasher = {});
    // Stops after the map being read, without writing the cache.
    ~MapReadingWorker();
    MapReadingWorker(const MapReadingWorker&) = delete;
    MapReadingWorker& operator=(const MapReadingWorker&) = delete;

    // A new rebuild began: the maps given so far and their readings not yet taken are dropped,
    // and the reading of the map in hand is thrown away when it ends.
    void startOver();
    // The maps a scan found since the last call, in catalogue order.
    void add(std::vector<MapToRead> maps);
    // The round holds every map it will: when they are read, the cache is written back.
    void allGiven();
    // The window has what it needs for now: the worker reads no more of the round until
    // allGiven(), so that it leaves the scan that still gives maps the whole machine.
    void holdUntilAllGiven();
    // The readings that wait, in the order they were read; a hashed map's once its hash is known.
    std::vector<MapRead> take();
    // The sizes the player's marks have: a map of one of them, or of a size not known, is hashed
    // once it is read, on a second thread started for the first such map, so that hashing the
    // marked maps takes another core rather than time from the reading. Maps already read are not
    // hashed again.
    void hashSizes(std::unordered_set<std::uint64_t> sizes);

  private:
    // A map read whose content is still to be hashed, and the round it was read in.
    struct HashJob {
        std::uint64_t round;
        std::wstring path;
        MapRead read;
    };

    void run();
    void hashRun();
    // The map's reading, and whether its content is to be hashed before it is handed over.
    MapRead read(std::size_t index, const MapToRead& map, bool& hash);
    void save();
    // With the lock held: true when the worker has something to do.
    bool due() const;

    MapFileReader reader_;
    MapContentReader hasher_;
    std::wstring cacheFile_;
    std::function<void()> readingsWaiting_;
    MapCache cache_;  // the worker's thread only
    bool cacheLoaded_ = false;

    std::mutex mutex_;
    std::condition_variable wake_;
    // Changed under the lock, and read without it between two maps.
    std::atomic<std::uint64_t> round_ = 0;
    std::vector<MapToRead> given_;
    std::size_t next_ = 0;
    std::vector<MapRead> outbox_;
    bool allGiven_ = false;
    bool held_ = false;
    bool saved_ = false;
    std::atomic<bool> stop_ = false;
    bool sleeping_ = false;
    std::unordered_set<std::uint64_t> hashSizes_;
    std::deque<HashJob> toHash_;
    std::condition_variable hashWake_;
    std::thread hashThread_;  // started by the reading thread; joined after it
    std::thread thread_;      // last: it starts once everything else is ready
};

}  // namespace qrvl
