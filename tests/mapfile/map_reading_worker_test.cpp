// The reading thread: order, starting over, stopping, and the cache it keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/text_codec.h"
#include "mapfile/map_reading_worker.h"
#include "tests/scratch_folder.h"

namespace qrvl::test {
namespace {

using namespace std::chrono_literals;

MapReading titled(const std::wstring& path) {
    return MapReading{MapInfo{path, L"", 2, 64, 64, Tileset::Ice}, {}};
}

// A reader that counts its readings and, while held, keeps the worker inside a reading.
class GatedReader {
  public:
    MapFileReader reader() {
        return [this](const std::wstring& path) {
            std::unique_lock lock(mutex_);
            read_.push_back(path);
            changed_.notify_all();
            changed_.wait(lock, [this] { return !held_; });
            return titled(path);
        };
    }
    void hold(bool held) {
        const std::lock_guard lock(mutex_);
        held_ = held;
        changed_.notify_all();
    }
    // Waits until `count` readings have begun.
    bool begun(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return read_.size() >= count; });
    }
    std::size_t readCount() {
        const std::lock_guard lock(mutex_);
        return read_.size();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::wstring> read_;
    bool held_ = false;
};

// Takes readings until `count` have come, or 10 s pass.
std::vector<MapRead> takeUntil(MapReadingWorker& worker, std::size_t count) {
    std::vector<MapRead> all;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (all.size() < count && std::chrono::steady_clock::now() < end) {
        for (MapRead& read : worker.take()) {
            all.push_back(std::move(read));
        }
        std::this_thread::sleep_for(1ms);
    }
    return all;
}

TEST(MapReadingWorkerTest, ReadsInTheOrderGivenAndWakesTheWindowOnlyForAnEmptyOutbox) {
    GatedReader gate;
    std::atomic<int> wakes = 0;
    MapReadingWorker worker(gate.reader(), L"", [&wakes] { ++wakes; });
    worker.startOver();
    for (const wchar_t* path : {L"a.scm", L"b.scx", L"c.scm"}) {
        worker.add({{path, std::nullopt}});
    }
    ASSERT_TRUE(gate.begun(3));
    const std::vector<MapRead> reads = takeUntil(worker, 3);
    ASSERT_EQ(reads.size(), 3u);
    for (std::size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i].index, i);
    }
    EXPECT_EQ(reads[2].reading.info->title, L"c.scm");
    EXPECT_GE(wakes, 1);
    EXPECT_LE(wakes, 3);
}

TEST(MapReadingWorkerTest, HashesOnlyTheMapsOfAMarkedSizeOrOfNoKnownSize) {
    GatedReader gate;
    std::atomic<int> hashes = 0;
    MapReadingWorker worker(
        gate.reader(), L"", [] {},
        [&hashes](const std::wstring&) {
            ++hashes;
            return std::optional<MapContent>(MapContent{{}, 1000});
        });
    worker.hashSizes({1000});
    worker.startOver();
    worker.add({{L"marked.scm", FileStamp{1000, 1}},
                {L"other.scm", FileStamp{2000, 1}},
                {L"unknown.scm", std::nullopt}});
    std::vector<MapRead> reads = takeUntil(worker, 3);
    ASSERT_EQ(reads.size(), 3u);
    // The hashed maps come once hashed, on the second thread, so they may come later.
    std::sort(reads.begin(), reads.end(),
              [](const MapRead& a, const MapRead& b) { return a.index < b.index; });
    EXPECT_TRUE(reads[0].content);
    EXPECT_FALSE(reads[1].content);
    EXPECT_TRUE(reads[2].content);
    EXPECT_EQ(reads[1].stamp, (FileStamp{2000, 1}));
    EXPECT_EQ(hashes, 2);
}

TEST(MapReadingWorkerTest, ANewRoundDropsTheMapInHandAndEverythingNotYetTaken) {
    GatedReader gate;
    MapReadingWorker worker(gate.reader(), L"", [] {});
    gate.hold(true);
    worker.startOver();
    worker.add({{L"old-1.scm", std::nullopt}});
    worker.add({{L"old-2.scm", std::nullopt}});
    ASSERT_TRUE(gate.begun(1));
    worker.startOver();
    worker.add({{L"new.scm", std::nullopt}});
    gate.hold(false);
    const std::vector<MapRead> reads = takeUntil(worker, 1);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].index, 0u);
    EXPECT_EQ(reads[0].reading.info->title, L"new.scm");
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(worker.take().empty());
    EXPECT_EQ(gate.readCount(), 2u);  // old-2 was never opened
}

TEST(MapReadingWorkerTest, AHashInHandWhenANewRoundBeginsIsDropped) {
    std::mutex mutex;
    std::condition_variable changed;
    bool hashing = false;
    bool released = false;
    MapReadingWorker worker([](const std::wstring& path) { return titled(path); }, L"", [] {},
                            [&](const std::wstring&) {
                                std::unique_lock lock(mutex);
                                hashing = true;
                                changed.notify_all();
                                changed.wait(lock, [&] { return released; });
                                return std::optional<MapContent>(MapContent{{}, 1000});
                            });
    worker.hashSizes({1000});
    worker.startOver();
    worker.add({{L"old.scm", FileStamp{1000, 1}}});
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 10s, [&] { return hashing; }));
    }
    worker.startOver();
    worker.add({{L"new.scm", FileStamp{2000, 1}}});
    {
        const std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
    const std::vector<MapRead> reads = takeUntil(worker, 1);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].reading.info->title, L"new.scm");
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(worker.take().empty());
}

TEST(MapReadingWorkerTest, AHeldRoundWaitsForItsLastMapBeforeReadingOn) {
    GatedReader gate;
    MapReadingWorker worker(gate.reader(), L"", [] {});
    worker.startOver();
    worker.holdUntilAllGiven();
    worker.add({{L"a.scm", std::nullopt}});
    worker.add({{L"b.scm", std::nullopt}});
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(gate.readCount(), 0u);
    worker.allGiven();
    EXPECT_EQ(takeUntil(worker, 2).size(), 2u);
    // A new round reads at once again.
    worker.startOver();
    worker.add({{L"c.scm", std::nullopt}});
    EXPECT_EQ(takeUntil(worker, 1).size(), 1u);
}

TEST(MapReadingWorkerTest, StopsAfterTheMapInHandWhenTheWindowGoes) {
    GatedReader gate;
    auto worker = std::make_unique<MapReadingWorker>(gate.reader(), L"", [] {});
    gate.hold(true);
    worker->startOver();
    for (int i = 0; i < 1000; ++i) {
        worker->add({{L"m" + std::to_wstring(i) + L".scm", std::nullopt}});
    }
    ASSERT_TRUE(gate.begun(1));
    std::thread release([&gate] {
        std::this_thread::sleep_for(20ms);
        gate.hold(false);
    });
    worker.reset();
    release.join();
    EXPECT_EQ(gate.readCount(), 1u);
}

TEST(MapReadingWorkerTest, AFinishedRoundWritesTheCacheSoThatTheNextReadsNoFile) {
    ScratchFolder folder(L"worker");
    std::vector<std::wstring> maps;
    // A name in Hangul too, which no locale's conversion may stand between the map and its file.
    for (const std::wstring name : {L"a.scm", L"b.scx", L"\uC9C0\uB3C4.scm"}) {
        const std::string utf8 = utf8Codec().encode(name);
        std::ofstream(folder.path() / std::u8string(utf8.begin(), utf8.end())) << "map bytes";
        maps.push_back(folder.text() +
                       static_cast<wchar_t>(std::filesystem::path::preferred_separator) + name);
    }
    const std::wstring cacheFile = folder.file("qrvl-maps.cache").wstring();
    const auto round = [&](GatedReader& gate) {
        MapReadingWorker worker(gate.reader(), cacheFile, [] {});
        worker.startOver();
        for (const std::wstring& map : maps) {
            worker.add({{map, std::nullopt}});
        }
        worker.allGiven();
        const std::vector<MapRead> reads = takeUntil(worker, maps.size());
        EXPECT_EQ(reads.size(), maps.size());
        // The cache is written after the last reading is handed over.
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!std::filesystem::exists(cacheFile) && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(1ms);
        }
    };
    GatedReader cold;
    round(cold);
    EXPECT_EQ(cold.readCount(), maps.size());
    GatedReader warm;
    round(warm);
    EXPECT_EQ(warm.readCount(), 0u);
}

}  // namespace
}  // namespace qrvl::test
