// The reading thread: one map at a time, a newer round always winning over the map in hand.
#include "mapfile/map_reading_worker.h"

#include <exception>
#include <utility>

namespace qrvl {

MapReadingWorker::MapReadingWorker(MapFileReader reader, std::wstring cacheFile,
                                   std::function<void()> readingsWaiting)
    : reader_(std::move(reader)),
      cacheFile_(std::move(cacheFile)),
      readingsWaiting_(std::move(readingsWaiting)),
      thread_([this] { run(); }) {}

MapReadingWorker::~MapReadingWorker() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void MapReadingWorker::startOver() {
    const std::lock_guard lock(mutex_);
    ++round_;
    given_.clear();
    next_ = 0;
    outbox_.clear();
    allGiven_ = false;
    saved_ = false;
}

void MapReadingWorker::add(MapToRead map) {
    {
        const std::lock_guard lock(mutex_);
        given_.push_back(std::move(map));
    }
    wake_.notify_one();
}

void MapReadingWorker::allGiven() {
    {
        const std::lock_guard lock(mutex_);
        allGiven_ = true;
    }
    wake_.notify_one();
}

std::vector<MapRead> MapReadingWorker::take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(outbox_, {});
}

bool MapReadingWorker::due() const {
    return stop_ || next_ < given_.size() || (allGiven_ && !saved_);
}

void MapReadingWorker::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return due(); });
        if (stop_) {
            return;
        }
        if (next_ == given_.size()) {
            // Every map of the round is read: the cache holds exactly the maps seen.
            saved_ = true;
            lock.unlock();
            if (cacheLoaded_ && !cacheFile_.empty()) {
                try {
                    saveMapCache(cache_, cacheFile_);
                } catch (const std::exception&) {
                    // The cache is only a shortcut: the maps are read again next time.
                }
            }
            lock.lock();
            continue;
        }
        const std::uint64_t round = round_;
        const std::size_t index = next_++;
        const MapToRead map = given_[index];
        lock.unlock();
        MapReading reading;
        try {
            if (!cacheLoaded_) {
                // Loaded here rather than by the window, whose start must not wait for the file.
                cacheLoaded_ = true;
                cache_ = cacheFile_.empty() ? MapCache() : loadMapCache(cacheFile_);
            }
            reading = readThroughCache(cache_, map.path, map.stamp, reader_);
        } catch (const std::exception&) {
            // Out of memory, say: an exception would end the whole program from this thread.
            reading = MapReading{std::nullopt, "cannot be read"};
        }
        lock.lock();
        if (round != round_) {
            continue;
        }
        const bool wasEmpty = outbox_.empty();
        outbox_.push_back({index, std::move(reading)});
        if (wasEmpty) {
            lock.unlock();
            readingsWaiting_();
            lock.lock();
        }
    }
}

}  // namespace qrvl
