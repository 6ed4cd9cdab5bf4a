// Lazy sector reading for one archive block: the sector table, padding, and the sectors kept as
// far as they were decoded.
#include "mapfile/mpq_block_source.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

#include "mapfile/mpq_crypto.h"
#include "mapfile/mpq_sector_codec.h"

namespace qrvl {

namespace {

constexpr std::uint32_t kFlagImplode = 0x00000100;
constexpr std::uint32_t kFlagCompress = 0x00000200;
constexpr std::uint32_t kFlagEncrypted = 0x00010000;
constexpr std::uint32_t kFlagFixKey = 0x00020000;
// Sectors whose decoders are kept to go on with. The section walk moves forward, then comes back
// to read the strings a little past the string section's header: this many cover every sector a
// walk met in the benchmark corpus, so none is decoded twice. A zlib decoder holds some 40 KiB.
constexpr std::size_t kLiveDecoders = 16;

std::uint32_t fileKeyOf(const MpqBlock& block) {
    static const std::uint32_t nameKey = mpqHash("scenario.chk", MpqHashType::FileKey);
    std::uint32_t key = nameKey;
    if ((block.flags & kFlagFixKey) != 0) {
        key = (key + block.offsetField) ^ block.fileSize;
    }
    return key;
}

class BlockSource final : public ByteSource {
  public:
    BlockSource(std::span<const std::uint8_t> file, const MpqBlock& block, std::uint32_t start,
                std::vector<std::uint32_t> sectorStarts, std::uint32_t key)
        : file_(file),
          block_(block),
          start_(start),
          sectorStarts_(std::move(sectorStarts)),
          key_(key) {}

    std::uint32_t size() const override { return block_.fileSize; }

    bool read(std::uint32_t offset, std::span<std::uint8_t> out) override {
        if (offset > block_.fileSize || out.size() > block_.fileSize - offset) {
            return false;
        }
        // The walk reads thousands of 8-byte headers, nearly all inside the sector it read
        // last: those cost a copy and nothing more.
        if (last_ && offset >= lastStart_ && offset - lastStart_ <= last_->size &&
            out.size() <= last_->size - (offset - lastStart_)) {
            copyOut(*last_, offset - lastStart_, out);
            return true;
        }
        std::size_t done = 0;
        while (done < out.size()) {
            const std::uint64_t at = std::uint64_t{offset} + done;
            const auto index = static_cast<std::uint32_t>(at / block_.sectorSize);
            const std::uint32_t sectorStart = index * block_.sectorSize;
            const std::size_t inSector = static_cast<std::size_t>(at - sectorStart);
            const std::size_t want =
                std::min<std::uint64_t>(out.size() - done, expectedSize(index) - inSector);
            const CachedSector* sector = sectorAt(index, inSector + want);
            if (!sector) {
                return false;
            }
            last_ = sector;
            lastStart_ = sectorStart;
            copyOut(*sector, inSector, out.subspan(done, want));
            done += want;
        }
        return true;
    }

  private:
    // A sector as far as it is known: its decoded `bytes`, then zeros up to `size`. A sector
    // whose data end early is padded so, as the game pads it, without holding the padding.
    struct CachedSector {
        std::vector<std::uint8_t> bytes;
        std::size_t size = 0;
        // Kept while more of the sector may be needed and it is among the latest used.
        std::unique_ptr<SectorDecoder> decoder;
    };

    static void copyOut(const CachedSector& sector, std::size_t from, std::span<std::uint8_t> out) {
        const std::size_t have =
            from < sector.bytes.size() ? std::min(out.size(), sector.bytes.size() - from) : 0;
        if (have > 0) {
            std::memcpy(out.data(), sector.bytes.data() + from, have);
        }
        std::fill(out.begin() + static_cast<std::ptrdiff_t>(have), out.end(), 0);
    }

    // The walk reads headers in order and comes back to the string sections, so every sector is
    // kept as far as it was decoded (the budget bounds what all of them hold). A sector is
    // decoded only as far as a read has needed: a section header halfway into one costs half a
    // sector, and a read further in goes on from there.
    const CachedSector* sectorAt(std::uint32_t index, std::size_t needed) {
        CachedSector& sector = sectors_[index];
        if (sector.size >= needed) {
            return &sector;
        }
        if (sector.decoder) {
            useDecoder(index);
        } else {
            // Its decoder was let go for the latest ones': decoded again from its first byte.
            sector.bytes.clear();
            sector.size = 0;
            sector.decoder = makeDecoder(index);
            keepDecoder(index);
        }
        const std::size_t expected = expectedSize(index);
        if (!decode(sector, needed, expected)) {
            return nullptr;
        }
        if (sector.size == expected) {
            sector.decoder.reset();
            std::erase(liveDecoders_, index);
        }
        return &sector;
    }

    // The sector's decoder over its stored bytes, as the block's flags and its length say.
    std::unique_ptr<SectorDecoder> makeDecoder(std::uint32_t index) const {
        const std::size_t expected = expectedSize(index);
        std::optional<std::uint32_t> key;
        if ((block_.flags & kFlagEncrypted) != 0) {
            key = key_ + index;
        }
        if (sectorStarts_.empty()) {
            const std::uint64_t first = std::uint64_t{index} * block_.sectorSize;
            return std::make_unique<SectorDecoder>(bytesAt(std::uint64_t{start_} + first, expected),
                                                   key, SectorCompression::None, expected);
        }
        const std::uint32_t storedLength = sectorStarts_[index + 1] - sectorStarts_[index];
        const auto stored = bytesAt(start_ + sectorStarts_[index], storedLength);
        // A sector no shorter than its size is stored as it is; one of no bytes is all zeros.
        SectorCompression compression = SectorCompression::None;
        if (storedLength > 0 && storedLength < expected) {
            compression = (block_.flags & kFlagCompress) != 0 ? SectorCompression::MaskedByte
                                                              : SectorCompression::Imploded;
        }
        return std::make_unique<SectorDecoder>(stored, key, compression, expected);
    }

    // The most recently used decoders are kept; the one used longest ago makes way.
    void keepDecoder(std::uint32_t index) {
        if (liveDecoders_.size() == kLiveDecoders) {
            sectors_[liveDecoders_.front()].decoder.reset();
            liveDecoders_.erase(liveDecoders_.begin());
        }
        liveDecoders_.push_back(index);
    }
    void useDecoder(std::uint32_t index) {
        std::erase(liveDecoders_, index);
        liveDecoders_.push_back(index);
    }

    // The sector's size once decoded: the sector size, or what is left of the file.
    std::size_t expectedSize(std::uint32_t index) const {
        const std::uint64_t first = std::uint64_t{index} * block_.sectorSize;
        return static_cast<std::size_t>(
            std::min<std::uint64_t>(block_.sectorSize, block_.fileSize - first));
    }

    // The file's bytes at an absolute position, as many of `length` as the file holds: data cut
    // by the end of the file is read as far as it goes.
    std::span<const std::uint8_t> bytesAt(std::uint64_t position, std::uint64_t length) const {
        if (position >= file_.size()) {
            return {};
        }
        return file_.subspan(
            static_cast<std::size_t>(position),
            static_cast<std::size_t>(std::min<std::uint64_t>(length, file_.size() - position)));
    }

    // Decodes the sector on to its first `limit` bytes, or fewer when its data end first, the
    // rest then known to be zeros. Every byte decoded counts against the block's budget, and no
    // decode may go past what is left of it.
    bool decode(CachedSector& sector, std::size_t limit, std::size_t expected) {
        if (decoded_ >= budget_) {
            return false;
        }
        const std::size_t room = std::min<std::uint64_t>(limit, budget_ - decoded_);
        const std::size_t had = sector.bytes.size();
        const bool decoded = sector.decoder->decodeTo(sector.bytes, room);
        decoded_ += sector.bytes.size() - had;
        if (!decoded) {
            return false;
        }
        const bool ended = sector.decoder->ended();
        if (!ended && room < limit) {
            // The budget ran out before the bytes this read needs.
            return false;
        }
        sector.size = ended ? expected : limit;
        return true;
    }

    std::span<const std::uint8_t> file_;
    MpqBlock block_;
    std::uint32_t start_;
    std::vector<std::uint32_t> sectorStarts_;  // k + 1 entries, relative to start_; empty if none
    std::uint32_t key_;
    // Node-based, so a sector stays where it is while others join.
    std::unordered_map<std::uint32_t, CachedSector> sectors_;
    std::vector<std::uint32_t> liveDecoders_;  // oldest use first
    const CachedSector* last_ = nullptr;       // the sector read last
    std::uint32_t lastStart_ = 0;              // its first byte's offset
    std::uint64_t decoded_ = 0;
    std::uint64_t budget_ = std::min(
        kMaxDecodedBytes, std::max(kMinDecodedBudget, kMaxExpansion* std::uint64_t{file_.size()}));
};

}  // namespace

std::optional<std::uint32_t> recoverSectorTableKey(std::span<const std::uint8_t> table,
                                                   std::uint32_t sectorCount,
                                                   std::uint32_t sectorSize) {
    if (table.size() < 8) {
        return std::nullopt;
    }
    const std::uint32_t firstWord = loadU32(table.data());
    const std::uint32_t tableSize = 4 * (sectorCount + 1);
    // Two real maps start their data one byte after the table; allow up to three.
    for (std::uint32_t slack = 0; slack < 4; ++slack) {
        const std::uint32_t plain = tableSize + slack;
        for (std::uint32_t low = 0; low < 256; ++low) {
            const std::uint32_t key = (firstWord ^ plain) - 0xEEEEEEEE - mpqCryptTable(0x400 + low);
            if ((key & 0xFF) != low) {
                continue;
            }
            std::array<std::uint8_t, 8> words{};
            std::memcpy(words.data(), table.data(), words.size());
            mpqDecrypt(words, key);
            if (loadU32(words.data()) == plain && loadU32(words.data() + 4) <= plain + sectorSize) {
                return key + 1;
            }
        }
    }
    return std::nullopt;
}

std::unique_ptr<ByteSource> openMpqBlock(std::span<const std::uint8_t> file, const MpqBlock& block,
                                         std::string& why) {
    if (block.fileSize == 0) {
        why = "the scenario is empty";
        return nullptr;
    }
    if (block.fileSize > kMaxScenarioBytes) {
        why = "the scenario is larger than any map's";
        return nullptr;
    }
    const std::uint32_t start = block.headerOffset + block.offsetField;
    if (start >= file.size()) {
        why = "the scenario's data lie past the end of the file";
        return nullptr;
    }
    // Single-unit and sector-checksum flags are ignored, as the game ignores them for maps.
    std::uint32_t key = fileKeyOf(block);
    std::vector<std::uint32_t> sectorStarts;
    if ((block.flags & (kFlagImplode | kFlagCompress)) != 0) {
        const std::uint32_t count = static_cast<std::uint32_t>(
            (std::uint64_t{block.fileSize} + block.sectorSize - 1) / block.sectorSize);
        const std::uint64_t tableBytes = 4 * (std::uint64_t{count} + 1);
        if (tableBytes > file.size() - start) {
            why = "the scenario's sector table lies past the end of the file";
            return nullptr;
        }
        std::vector<std::uint8_t> table(file.begin() + start, file.begin() + start + tableBytes);
        if ((block.flags & kFlagEncrypted) != 0) {
            std::vector<std::uint8_t> plain = table;
            mpqDecrypt(plain, key - 1);
            // The first entry is never checked (two real maps store one more than the table's
            // size), but one far from it says the name's key is wrong: find the key instead.
            const std::uint32_t firstEntry = loadU32(plain.data());
            if (firstEntry - static_cast<std::uint32_t>(tableBytes) > 3) {
                if (const auto recovered = recoverSectorTableKey(table, count, block.sectorSize)) {
                    key = *recovered;
                    plain = table;
                    mpqDecrypt(plain, key - 1);
                }
            }
            table = std::move(plain);
        }
        sectorStarts.resize(count + 1);
        for (std::uint32_t j = 0; j <= count; ++j) {
            sectorStarts[j] = loadU32(table.data() + 4 * std::size_t{j});
        }
        for (std::uint32_t j = 0; j < count; ++j) {
            // Decoy blocks carry tables that run backwards; the game never reads them.
            if (static_cast<std::int32_t>(sectorStarts[j + 1] - sectorStarts[j]) < 0) {
                why = "the scenario's sector table runs backwards";
                return nullptr;
            }
        }
    }
    return std::make_unique<BlockSource>(file, block, start, std::move(sectorStarts), key);
}

}  // namespace qrvl
