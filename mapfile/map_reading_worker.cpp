// The reading thread: one map at a time, a newer round always winning over the map in hand.
#include "mapfile/map_reading_worker.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <iterator>
#include <utility>

#include "mapfile/file_bytes.h"

namespace qrvl {

MapReadingWorker::MapReadingWorker(MapFileReader reader, std::wstring cacheFile,
                                   std::function<void()> readingsWaiting, MapContentReader hasher)
    : reader_(std::move(reader)),
      hasher_(hasher ? std::move(hasher) : MapContentReader(mapContentOf)),
      cacheFile_(std::move(cacheFile)),
      readingsWaiting_(std::move(readingsWaiting)),
      thread_([this] { run(); }) {}

MapReadingWorker::~MapReadingWorker() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    hashWake_.notify_one();
    thread_.join();
    if (hashThread_.joinable()) {
        hashThread_.join();
    }
}

void MapReadingWorker::startOver() {
    const std::lock_guard lock(mutex_);
    ++round_;
    given_.clear();
    next_ = 0;
    outbox_.clear();
    toHash_.clear();
    allGiven_ = false;
    held_ = false;
    saved_ = false;
}

void MapReadingWorker::add(std::vector<MapToRead> maps) {
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        given_.insert(given_.end(), std::make_move_iterator(maps.begin()),
                      std::make_move_iterator(maps.end()));
        wake = sleeping_ && !held_;
    }
    // Waking a busy or held worker would cost a system call for nothing, which Wine makes dear.
    if (wake) {
        wake_.notify_one();
    }
}

void MapReadingWorker::allGiven() {
    {
        const std::lock_guard lock(mutex_);
        allGiven_ = true;
    }
    wake_.notify_one();
}

void MapReadingWorker::holdUntilAllGiven() {
    const std::lock_guard lock(mutex_);
    held_ = true;
}

std::vector<MapRead> MapReadingWorker::take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(outbox_, {});
}

void MapReadingWorker::hashSizes(std::unordered_set<std::uint64_t> sizes) {
    const std::lock_guard lock(mutex_);
    hashSizes_ = std::move(sizes);
}

bool MapReadingWorker::due() const {
    return stop_ || (next_ < given_.size() && (!held_ || allGiven_)) || (allGiven_ && !saved_);
}

MapRead MapReadingWorker::read(std::size_t index, const MapToRead& map, bool& hash) {
    hash = false;
    try {
        if (!cacheLoaded_) {
            // Loaded here rather than by the window, whose start must not wait for the file.
            cacheLoaded_ = true;
            cache_ = cacheFile_.empty() ? MapCache() : loadMapCache(cacheFile_);
        }
        const std::optional<FileStamp> stamp = map.stamp ? map.stamp : fileStamp(map.path);
        MapRead read{index, readThroughCache(cache_, map.path, stamp, reader_), stamp};
        // A map whose size is not known could be any marked map.
        const std::lock_guard lock(mutex_);
        hash = stamp ? hashSizes_.contains(stamp->size) : !hashSizes_.empty();
        return read;
    } catch (const std::exception&) {
        // Out of memory, say: an exception would end the whole program from this thread.
        return MapRead{index, MapReading{std::nullopt, "cannot be read"}};
    }
}

void MapReadingWorker::save() {
    if (!cacheLoaded_ || cacheFile_.empty()) {
        return;
    }
    try {
        saveMapCache(cache_, cacheFile_);
    } catch (const std::exception&) {
        // The cache is only a shortcut: the maps are read again next time.
    }
}

void MapReadingWorker::run() {
    std::unique_lock lock(mutex_);
    std::vector<MapToRead> batch;
    std::vector<MapRead> readings;
    std::vector<HashJob> toHash;
    while (true) {
        sleeping_ = true;
        wake_.wait(lock, [this] { return due(); });
        sleeping_ = false;
        if (stop_) {
            return;
        }
        if (next_ == given_.size()) {
            // Every map of the round is read: the cache holds exactly the maps seen.
            saved_ = true;
            lock.unlock();
            save();
            lock.lock();
            continue;
        }
        // The maps waiting, taken at once: the cache answers for thousands in the time one
        // lock handed to and fro between the threads takes.
        const std::uint64_t round = round_;
        const std::size_t first = next_;
        const std::size_t count = std::min(given_.size() - first, kBatchMaps);
        batch.assign(given_.begin() + static_cast<std::ptrdiff_t>(first),
                     given_.begin() + static_cast<std::ptrdiff_t>(first + count));
        next_ += count;
        lock.unlock();

        // A cold map takes a millisecond or more: the batch is handed over once it has taken a
        // few, so that the first map that fits reaches the window early.
        readings.clear();
        toHash.clear();
        std::size_t done = 0;
        const auto start = std::chrono::steady_clock::now();
        while (done < batch.size() && round_ == round && !stop_) {
            bool hash = false;
            MapRead reading = read(first + done, batch[done], hash);
            if (hash) {
                toHash.push_back({round, batch[done].path, std::move(reading)});
            } else {
                readings.push_back(std::move(reading));
            }
            ++done;
            if (std::chrono::steady_clock::now() - start > kBatchTime) {
                break;
            }
        }

        lock.lock();
        if (round != round_) {
            continue;
        }
        // Maps of the batch left unread go back to the head of the queue.
        next_ = first + done;
        if (!toHash.empty()) {
            std::move(toHash.begin(), toHash.end(), std::back_inserter(toHash_));
            if (!hashThread_.joinable()) {
                hashThread_ = std::thread([this] { hashRun(); });
            }
            hashWake_.notify_one();
        }
        const bool wasEmpty = outbox_.empty();
        std::move(readings.begin(), readings.end(), std::back_inserter(outbox_));
        if (wasEmpty && !readings.empty()) {
            lock.unlock();
            readingsWaiting_();
            lock.lock();
        }
    }
}

void MapReadingWorker::hashRun() {
    std::unique_lock lock(mutex_);
    while (true) {
        hashWake_.wait(lock, [this] { return stop_ || !toHash_.empty(); });
        if (stop_) {
            return;
        }
        HashJob job = std::move(toHash_.front());
        toHash_.pop_front();
        lock.unlock();
        try {
            job.read.content = hasher_(job.path);
        } catch (const std::exception&) {
            // Out of memory, say: the map stays unhashed, as one that cannot be read is.
        }
        lock.lock();
        if (job.round != round_) {
            continue;
        }
        const bool wasEmpty = outbox_.empty();
        outbox_.push_back(std::move(job.read));
        if (wasEmpty) {
            lock.unlock();
            readingsWaiting_();
            lock.lock();
        }
    }
}

}  // namespace qrvl
