// Clock-seeded pseudo-random draws for the recent-maps update.
#include "map/random_source.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>

namespace qrvl {
namespace {

class SystemClock final : public Clock {
  public:
    std::uint64_t ticks() override {
        const auto now = std::chrono::high_resolution_clock::now().time_since_epoch();
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    }
};

// Counts re-seeds across the whole process, so that two sources seeded in the same tick differ.
std::atomic<std::uint64_t> reseedCount{0};

}  // namespace

std::shared_ptr<Clock> systemClock() {
    return std::make_shared<SystemClock>();
}

std::uint64_t splitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

ClockSeededRandom::ClockSeededRandom(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {}

void ClockSeededRandom::reseed() {
    // Both inputs go through the mixer on their own before they meet: nearby tick values and
    // consecutive counts would otherwise cancel out in the exclusive-or.
    std::uint64_t ticks = clock_->ticks();
    std::uint64_t count = reseedCount.fetch_add(1, std::memory_order_relaxed);
    std::uint64_t mixedCount = splitMix64(count);
    state_ = splitMix64(ticks) ^ mixedCount;
}

float ClockSeededRandom::draw() {
    // 24 bits fill a float's mantissa exactly, so r is uniform on its grid and never reaches 1.
    return static_cast<float>(splitMix64(state_) >> 40) * 0x1.0p-24f;
}

std::int32_t pickPosition(float r, std::int32_t count) {
    const double position = std::floor(static_cast<double>(r) * count + 1.0);
    return static_cast<std::int32_t>(std::clamp(position, 1.0, static_cast<double>(count)));
}

}  // namespace qrvl
