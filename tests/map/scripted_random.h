// A scripted random source for tests: gives the draws it was told, and counts re-seeds.
#pragma once

#include <cstddef>
#include <vector>

#include "map/random_source.h"

namespace qrvl {

class ScriptedRandom final : public RandomSource {
  public:
    explicit ScriptedRandom(std::vector<float> draws = {0.0f}) : draws_(std::move(draws)) {}

    void reseed() override { ++reseedCount; }
    // Cycles through the script; each value must lie in [0, 1).
    float draw() override {
        ++drawCount;
        const float r = draws_[next_ % draws_.size()];
        ++next_;
        return r;
    }

    int reseedCount = 0;
    int drawCount = 0;

  private:
    std::vector<float> draws_;
    std::size_t next_ = 0;
};

}  // namespace qrvl
