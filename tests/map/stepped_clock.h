// A test clock that moves by a fixed step each time it is read.
#pragma once

#include <cstdint>

#include "map/random_source.h"

namespace qrvl {

class SteppedClock final : public Clock {
  public:
    explicit SteppedClock(std::uint64_t start, std::uint64_t step) : now_(start), step_(step) {}
    std::uint64_t ticks() override {
        const std::uint64_t now = now_;
        now_ += step_;
        return now;
    }

  private:
    std::uint64_t now_;
    std::uint64_t step_;
};

}  // namespace qrvl
