// Lazy sector reading for one archive block: the sector table, decryption, padding and a small
// cache of decoded sectors.
#include "mapfile/mpq_block_source.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "mapfile/mpq_crypto.h"
#include "mapfile/mpq_sector_codec.h"

namespace qrvl {

namespace {

constexpr std::uint32_t kFlagImplode = 0x00000100;
constexpr std::uint32_t kFlagCompress = 0x00000200;
constexpr std::uint32_t kFlagEncrypted = 0x00010000;
constexpr std::uint32_t kFlagFixKey = 0x00020000;
// A compressed sector is first decoded this far past the byte a read needs: the next section
// header often follows closely.
constexpr std::size_t kFirstDecodeSlack = 256;

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
        std::uint32_t index = 0;
        bool filled = false;
        std::vector<std::uint8_t> bytes;
        std::size_t size = 0;
        // The sector as stored, kept while only part of it is decoded; its first `plain` bytes
        // are decrypted, and `cipher` goes on from there.
        std::vector<std::uint8_t> stored;
        std::size_t plain = 0;
        MpqCipher cipher{0};
    };

    static void copyOut(const CachedSector& sector, std::size_t from, std::span<std::uint8_t> out) {
        const std::size_t have =
            from < sector.bytes.size() ? std::min(out.size(), sector.bytes.size() - from) : 0;
        if (have > 0) {
            std::memcpy(out.data(), sector.bytes.data() + from, have);
        }
        std::fill(out.begin() + static_cast<std::ptrdiff_t>(have), out.end(), 0);
    }

    // The section walk reads headers in order and comes back to the string sections, so a few
    // sectors kept decoded spare nearly every second decode. A compressed sector is decoded only
    // as far as a read has needed: a section header halfway into one costs half a sector. A read
    // further in decodes it again, at least twice as far, so that a run of headers in one sector
    // costs little more than one decode of it.
    const CachedSector* sectorAt(std::uint32_t index, std::size_t needed) {
        CachedSector* slot = nullptr;
        for (CachedSector& cached : cache_) {
            if (cached.filled && cached.index == index) {
                if (cached.size >= needed) {
                    return &cached;
                }
                slot = &cached;
            }
        }
        std::size_t limit = needed + kFirstDecodeSlack;
        if (!slot) {
            slot = &cache_[nextSlot_];
            nextSlot_ = (nextSlot_ + 1) % cache_.size();
        } else {
            limit = std::max(limit, 4 * slot->size);
        }
        if (last_ == slot) {
            last_ = nullptr;
        }
        slot->filled = false;
        if (!decode(index, std::min(limit, expectedSize(index)), *slot)) {
            return nullptr;
        }
        slot->index = index;
        slot->filled = true;
        return slot;
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

    // The sector's first `limit` bytes into the slot: decoded, or fewer when its data end first,
    // the rest then known to be zeros. Every byte decoded counts against the block's budget,
    // and no decode may go past what is left of it.
    bool decode(std::uint32_t index, std::size_t limit, CachedSector& slot) {
        const std::uint64_t first = std::uint64_t{index} * block_.sectorSize;
        const std::size_t expected = expectedSize(index);
        std::vector<std::uint8_t>& out = slot.bytes;
        if (decoded_ >= budget_) {
            return false;
        }
        const std::size_t room = std::min<std::uint64_t>(limit, budget_ - decoded_);
        const bool tabled = !sectorStarts_.empty();
        std::vector<std::uint8_t>& stored = slot.stored;
        std::uint64_t storedLength = expected;
        const bool again = slot.index == index && !stored.empty();
        if (tabled) {
            storedLength = sectorStarts_[index + 1] - sectorStarts_[index];
        }
        if (!again) {
            const auto bytes = tabled ? bytesAt(start_ + sectorStarts_[index], storedLength)
                                      : bytesAt(std::uint64_t{start_} + first, expected);
            stored.assign(bytes.begin(), bytes.end());
            slot.plain = 0;
            slot.cipher = MpqCipher{key_ + index};
        }
        bool ended = false;
        if (tabled && storedLength < expected) {
            if (!decompressed(slot, storedLength, expected, room)) {
                return false;
            }
            ended = out.size() < room;
        } else {
            // Stored as it is: its first bytes are the sector, padded where the file ends early.
            // Only as much is decrypted and kept as the reads need, as for a compressed sector:
            // a sector may be the whole scenario, and a scenario may claim more than its file
            // holds.
            const std::size_t ready = std::min(makePlain(slot, room), room);
            out.assign(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(ready));
            ended = ready < room;
        }
        decoded_ += out.size();
        if (!ended && room < limit) {
            // The budget ran out before the bytes this read needs.
            return false;
        }
        slot.size = ended ? expected : limit;
        return true;
    }

    // Decompresses the slot's stored bytes as far as `limit`.
    bool decompressed(CachedSector& slot, std::uint64_t storedLength, std::size_t expected,
                      std::size_t limit) {
        std::vector<std::uint8_t>& stored = slot.stored;
        std::vector<std::uint8_t>& out = slot.bytes;
        if (storedLength == 0) {
            out.clear();
            return true;
        }
        const SectorCompression compression = (block_.flags & kFlagCompress) != 0
                                                  ? SectorCompression::MaskedByte
                                                  : SectorCompression::Imploded;
        // A prefix of the output needs about the same share of the input; only that much is
        // decrypted, and the rest only when decoding runs out of it. Output that ends short of
        // `limit` there may only mean the input was cut, so it is not taken.
        const std::size_t guess = static_cast<std::size_t>(
            std::min<std::uint64_t>(stored.size(), storedLength * limit / expected * 5 / 4 + 128));
        if (guess < stored.size() &&
            decompressSector(std::span(stored).first(makePlain(slot, guess)), compression, expected,
                             limit, out) &&
            out.size() == limit) {
            return true;
        }
        makePlain(slot, stored.size());
        return decompressSector(stored, compression, expected, limit, out);
    }

    // Decrypts the slot's stored bytes as far as `wanted` (to a whole word), and gives how many
    // bytes are ready: all of them once the end is reached, whose last 1 to 3 bytes were never
    // encrypted.
    std::size_t makePlain(CachedSector& slot, std::size_t wanted) const {
        if ((block_.flags & kFlagEncrypted) == 0) {
            return slot.stored.size();
        }
        const std::size_t words = std::min(slot.stored.size(), (wanted + 3) / 4 * 4) / 4 * 4;
        if (words > slot.plain) {
            mpqDecryptNext(std::span(slot.stored).subspan(slot.plain, words - slot.plain),
                           slot.cipher);
            slot.plain = words;
        }
        return wanted >= slot.stored.size() ? slot.stored.size() : slot.plain;
    }

    std::span<const std::uint8_t> file_;
    MpqBlock block_;
    std::uint32_t start_;
    std::vector<std::uint32_t> sectorStarts_;  // k + 1 entries, relative to start_; empty if none
    std::uint32_t key_;
    std::array<CachedSector, 4> cache_;
    std::size_t nextSlot_ = 0;
    const CachedSector* last_ = nullptr;  // the sector read last
    std::uint32_t lastStart_ = 0;         // its first byte's offset
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
