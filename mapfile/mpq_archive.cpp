// Header search, the hash and block tables, and the scenario's lookup.
#include "mapfile/mpq_archive.h"

#include <optional>

#include "mapfile/mpq_block_source.h"
#include "mapfile/mpq_crypto.h"

namespace qrvl {

namespace {

constexpr std::uint32_t kHeaderMagic = 0x1A51504D;  // "MPQ\x1A"
constexpr std::uint32_t kMinHeaderSize = 32;
constexpr std::uint32_t kHeaderStep = 512;
// The game multiplies the counts by 16 in 32 bits, so their top four bits fall away; protected
// maps set junk there.
constexpr std::uint32_t kCountMask = 0x0FFFFFFF;
constexpr std::uint32_t kEmptySlot = 0xFFFFFFFF;
constexpr std::uint32_t kDeletedSlot = 0xFFFFFFFE;
constexpr std::uint32_t kBlockIndexMask = 0x0FFFFFFF;
constexpr std::uint32_t kFlagExists = 0x80000000;
constexpr std::uint32_t kFlagDeleteMarker = 0x02000000;
constexpr std::uint16_t kEnglish = 0x0409;
constexpr std::uint16_t kNeutral = 0;
constexpr char kScenarioPath[] = "staredit\\scenario.chk";

struct Header {
    std::uint32_t offset;
    std::uint32_t sectorSize;
    std::uint32_t hashTable;  // absolute
    std::uint32_t blockTable;
    std::uint32_t hashCount;  // as the header claims, masked
    std::uint32_t blockCount;
};

// 512 shifted by the low byte of the stored shift, in 32 bits as x86 shifts (the count taken
// mod 32); a shift that pushes the bit out gives the usual 4096. Protected maps store 64 or 227.
std::uint32_t sectorSizeOf(std::uint16_t storedShift) {
    const std::uint32_t shift = static_cast<std::uint32_t>(storedShift & 0xFF) & 31;
    const std::uint32_t size = static_cast<std::uint32_t>(std::uint64_t{512} << shift);
    return size == 0 ? 4096 : size;
}

std::optional<Header> headerAt(std::span<const std::uint8_t> file, std::uint32_t offset) {
    const std::uint8_t* p = file.data() + offset;
    // A magic with a header size below 32 is a decoy that protectors put before the real header.
    if (loadU32(p) != kHeaderMagic || loadU32(p + 4) < kMinHeaderSize) {
        return std::nullopt;
    }
    // The archive size and format version are junk in protected maps; the game reads every map
    // as the first format version.
    Header header{};
    header.offset = offset;
    header.sectorSize = sectorSizeOf(loadU16(p + 14));
    // Table positions are relative to the header and may point before it: they wrap.
    header.hashTable = offset + loadU32(p + 16);
    header.blockTable = offset + loadU32(p + 20);
    header.hashCount = loadU32(p + 24) & kCountMask;
    header.blockCount = loadU32(p + 28) & kCountMask;
    return header;
}

// The table's entries that lie wholly inside the file, decrypted. The game reads a table cut by
// the end of the file and decrypts zeros for the rest; those entries match nothing, so they are
// never allocated (one map claims four million hash entries and holds twenty thousand).
std::vector<std::uint8_t> tableInFile(std::span<const std::uint8_t> file, std::uint32_t position,
                                      std::uint32_t count, std::uint32_t key) {
    const std::uint64_t room = (file.size() - position) / 16;
    const std::size_t entries = static_cast<std::size_t>(std::min<std::uint64_t>(count, room));
    std::vector<std::uint8_t> table(file.begin() + position,
                                    file.begin() + position + entries * 16);
    mpqDecrypt(table, key);
    return table;
}

struct Match {
    std::uint16_t locale;
    std::uint8_t platform;
    std::uint32_t block;
};

}  // namespace

std::vector<MpqBlock> scenarioBlocks(std::span<const std::uint8_t> file, std::uint32_t headerOffset,
                                     std::string& why) {
    const std::optional<Header> header = headerAt(file, headerOffset);
    if (!header) {
        why = "not a map archive";
        return {};
    }
    if (header->hashTable >= file.size() || header->blockTable >= file.size()) {
        why = "archive tables lie past the end of the file";
        return {};
    }
    static const std::uint32_t hashKey = mpqHash("(hash table)", MpqHashType::FileKey);
    static const std::uint32_t blockKey = mpqHash("(block table)", MpqHashType::FileKey);
    const std::vector<std::uint8_t> hashes =
        tableInFile(file, header->hashTable, header->hashCount, hashKey);
    const std::vector<std::uint8_t> blocks =
        tableInFile(file, header->blockTable, header->blockCount, blockKey);
    const std::size_t hashEntries = hashes.size() / 16;
    const std::size_t blockEntries = blocks.size() / 16;
    if (hashEntries == 0) {
        why = "archive has no files";
        return {};
    }

    static const std::uint32_t start = mpqHash(kScenarioPath, MpqHashType::TableIndex);
    static const std::uint32_t nameA = mpqHash(kScenarioPath, MpqHashType::NameA);
    static const std::uint32_t nameB = mpqHash(kScenarioPath, MpqHashType::NameB);
    // The start index comes from the count the header claims, even where the table is cut.
    std::size_t first = start & (header->hashCount - 1);
    if (first >= hashEntries) {
        first = 0;
    }
    std::vector<Match> matches;
    std::size_t i = first;
    do {
        const std::uint8_t* entry = hashes.data() + 16 * i;
        const std::uint32_t block = loadU32(entry + 12);
        // An empty slot ends the walk: a second entry past one can name another map's scenario.
        if (block == kEmptySlot) {
            break;
        }
        if (block != kDeletedSlot && loadU32(entry) == nameA && loadU32(entry + 4) == nameB &&
            (block & kBlockIndexMask) < blockEntries) {
            matches.push_back({loadU16(entry + 8), entry[10], block & kBlockIndexMask});
        }
        i = i + 1 == hashEntries ? 0 : i + 1;
    } while (i != first);
    if (matches.empty()) {
        why = "no scenario in the archive";
        return {};
    }

    // The game in English asks for the English entry of the default platform first (some maps
    // keep their real scenario only there), else takes the last neutral one (protectors put a
    // neutral decoy before the real entry). The rest follow in walk order, as a fallback.
    std::optional<std::size_t> chosen;
    for (std::size_t m = 0; m < matches.size() && !chosen; ++m) {
        if (matches[m].locale == kEnglish && matches[m].platform == 0) {
            chosen = m;
        }
    }
    for (std::size_t m = matches.size(); m-- > 0 && !chosen;) {
        if (matches[m].locale == kNeutral && matches[m].platform == 0) {
            chosen = m;
        }
    }
    std::vector<MpqBlock> order;
    const auto add = [&](const Match& match) {
        const std::uint8_t* entry = blocks.data() + 16 * std::size_t{match.block};
        const std::uint32_t flags = loadU32(entry + 12);
        if ((flags & kFlagExists) == 0 || (flags & kFlagDeleteMarker) != 0) {
            return;
        }
        order.push_back(
            {header->offset, loadU32(entry), loadU32(entry + 8), flags, header->sectorSize});
    };
    if (chosen) {
        add(matches[*chosen]);
    }
    for (std::size_t m = 0; m < matches.size(); ++m) {
        if (m != chosen) {
            add(matches[m]);
        }
    }
    if (order.empty()) {
        why = "the scenario's block is marked absent";
    }
    return order;
}

ScenarioCandidates::ScenarioCandidates(std::span<const std::uint8_t> file) : file_(file) {}

void ScenarioCandidates::fail(std::string reason, int weight) {
    if (weight >= failureWeight_) {
        failure_ = std::move(reason);
        failureWeight_ = weight;
    }
}

bool ScenarioCandidates::nextHeader() {
    // Protected maps put the header at a later 512-byte step, behind junk or a decoy magic.
    while (nextHeaderOffset_ + kMinHeaderSize <= file_.size()) {
        const auto offset = static_cast<std::uint32_t>(nextHeaderOffset_);
        nextHeaderOffset_ += kHeaderStep;
        if (!headerAt(file_, offset)) {
            continue;
        }
        std::string why;
        pending_ = scenarioBlocks(file_, offset, why);
        pendingAt_ = 0;
        if (!pending_.empty()) {
            return true;
        }
        fail(std::move(why), 1);
    }
    return false;
}

std::unique_ptr<ByteSource> ScenarioCandidates::next() {
    for (;;) {
        while (pendingAt_ < pending_.size()) {
            std::string why;
            std::unique_ptr<ByteSource> source = openMpqBlock(file_, pending_[pendingAt_++], why);
            if (source) {
                return source;
            }
            fail(std::move(why), 2);
        }
        if (!nextHeader()) {
            return nullptr;
        }
    }
}

}  // namespace qrvl
