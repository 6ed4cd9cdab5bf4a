// The clock and random seam of the recent-maps update.
#pragma once

#include <cstdint>
#include <memory>

namespace qrvl {

// Ticks of a high-resolution clock; only their change from call to call matters.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::uint64_t ticks() = 0;
};

// The system's high-resolution clock, in nanoseconds.
std::shared_ptr<Clock> systemClock();

// A pseudo-random source that an update re-seeds from the clock once, then draws from once.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    // A single-precision value r with 0 <= r < 1.
    virtual float draw() = 0;
};

// Seeds from the clock's ticks mixed (splitmix64) with a process-wide counter, so that two
// re-seeds within one tick of the clock still give independent draws.
class ClockSeededRandom final : public RandomSource {
  public:
    explicit ClockSeededRandom(std::shared_ptr<Clock> clock = systemClock());
    void reseed() override;
    float draw() override;

  private:
    std::shared_ptr<Clock> clock_;
    std::uint64_t state_ = 0;
};

// The 1-based position that r picks among `count` items: floor(r * count + 1) in double
// precision, kept within 1..count. `count` must be at least 1.
std::int32_t pickPosition(float r, std::int32_t count);

// One splitmix64 step: advances `state` and gives the mixed value.
std::uint64_t splitMix64(std::uint64_t& state);

}  // namespace qrvl
