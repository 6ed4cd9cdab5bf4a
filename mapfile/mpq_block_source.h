// One block of a map archive as a ByteSource: its sectors are read, decrypted and decompressed
// only when their bytes are first asked for.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "mapfile/byte_source.h"
#include "mapfile/mpq_archive.h"

namespace qrvl {

// What a file's numbers can make the reader do is bounded; no real map comes near these. The
// sector size is not bounded: some community maps keep the whole scenario in one sector of 16 or
// 32 MiB, and a sector never yields more than the scenario holds, nor is more of it kept than
// the reads so far have needed.
inline constexpr std::uint32_t kMaxScenarioBytes = 64u << 20;
// Bytes decoded over one block's life, sectors decoded again included: a scenario whose sections
// jump back and forth cannot make the reader decode for ever. Nor can a small file claim a large
// scenario: zlib gives at most about 1,032 bytes per byte stored and DCL about 172, so no real file
// decodes to more than kMaxExpansion times its own size (and a stored scenario is no larger than
// its file, the rest padding).
inline constexpr std::uint64_t kMaxDecodedBytes = 32u << 20;
inline constexpr std::uint64_t kMinDecodedBudget = 1u << 20;
inline constexpr std::uint64_t kMaxExpansion = 1100;

// The block as a source, or nullptr with `why` set when its layout cannot be read: data or
// sector table outside the file, a sector of negative length (decoy blocks), a scenario past the
// bound above.
std::unique_ptr<ByteSource> openMpqBlock(std::span<const std::uint8_t> file, const MpqBlock& block,
                                         std::string& why);

// The key of a block's sector table found from its first encrypted word, as the game's library
// finds the key of a file it cannot name: the word must decrypt to the table's own size (or up to
// 3 more). nullopt when no key fits. Exposed for tests.
std::optional<std::uint32_t> recoverSectorTableKey(std::span<const std::uint8_t> table,
                                                   std::uint32_t sectorCount,
                                                   std::uint32_t sectorSize);

}  // namespace qrvl
