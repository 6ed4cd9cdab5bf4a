// The read side of a map's MPQ archive, with the tolerance the game shows protected maps: the
// scenario's candidate blocks in the order the game would try them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "mapfile/byte_source.h"

namespace qrvl {

// One block of the archive as the block table describes it, positioned in the file.
struct MpqBlock {
    std::uint32_t headerOffset = 0;  // where the archive's header lies in the file
    std::uint32_t offsetField = 0;   // as stored: relative to the header, wrapping
    std::uint32_t fileSize = 0;      // uncompressed
    std::uint32_t flags = 0;
    std::uint32_t sectorSize = 0;
};

// Walks the archive(s) in `file` for `staredit\scenario.chk`. For each header candidate in
// turn, the entry the game takes comes first (the first English entry of the default platform,
// else the last neutral one), then every other matching entry in the order of the hash walk.
// The file's bytes must outlive the object and every source it gives.
class ScenarioCandidates {
  public:
    explicit ScenarioCandidates(std::span<const std::uint8_t> file);

    // The next block to try as the scenario, decoded lazily; nullptr when none is left. A block
    // whose layout is unusable (a decoy) is passed over here.
    std::unique_ptr<ByteSource> next();

    // Why nothing was found, for the player: the most telling thing seen.
    const std::string& failure() const { return failure_; }

  private:
    bool nextHeader();
    void fail(std::string reason, int weight);

    std::span<const std::uint8_t> file_;
    std::uint64_t nextHeaderOffset_ = 0;
    std::vector<MpqBlock> pending_;
    std::size_t pendingAt_ = 0;
    std::string failure_ = "not a map archive";
    int failureWeight_ = 0;
};

// The blocks that `staredit\scenario.chk` maps to under the header at `headerOffset`, in trial
// order, or an empty list with `why` set. Exposed for tests.
std::vector<MpqBlock> scenarioBlocks(std::span<const std::uint8_t> file, std::uint32_t headerOffset,
                                     std::string& why);

}  // namespace qrvl
