// The cache file's format: a header naming the version and the machine, an index of the entries
// by their path's hash, the entries, and a checksum over all of it, so that a damaged file is
// known and ignored.
#include "mapfile/map_cache.h"

#include <zlib.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "common/text_codec.h"
#include "mapfile/file_bytes.h"
#include "mapfile/machine_name.h"

namespace qrvl {

namespace {

constexpr char kMagic[8] = {'Q', 'R', 'V', 'L', 'M', 'A', 'P', 'C'};
// Raised whenever an entry's layout or a reader's rule changes, so that old answers are dropped.
// Version 2 put an index at the head, so that an entry is parsed only when looked up.
constexpr std::uint32_t kFormatVersion = 2;
// A cache file larger than this is not one of ours: 100,000 maps take a tenth of it.
constexpr std::uint64_t kMaxCacheBytes = 256u << 20;
// An index entry: the path's hash (8 bytes), then the entry's offset from the first entry (4).
constexpr std::size_t kIndexEntryBytes = 12;

// FNV-1a over the path's UTF-8. The index lives on disk, so every build must hash alike.
std::uint64_t pathHash(std::string_view utf8) {
    std::uint64_t hash = 0xCBF29CE484222325;
    for (const char c : utf8) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 0x100000001B3;
    }
    return hash;
}

class Writer {
  public:
    void u8(std::uint8_t v) { bytes.push_back(v); }
    void u16(std::uint16_t v) { number(v, 2); }
    void u32(std::uint32_t v) { number(v, 4); }
    void u64(std::uint64_t v) { number(v, 8); }
    void utf8(std::string_view s) {
        u32(static_cast<std::uint32_t>(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
    }
    void text(const std::wstring& s) { utf8(utf8Codec().encode(s)); }
    void narrow(const std::string& s) { text(std::wstring(s.begin(), s.end())); }
    std::vector<std::uint8_t> bytes;

  private:
    void number(std::uint64_t v, int width) {
        for (int i = 0; i < width; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
};

// Every read checked against what is left; the first short read fails the whole entry.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes, std::size_t at = 0)
        : bytes_(bytes), at_(std::min(at, bytes.size())) {}
    std::optional<std::uint64_t> number(int width) {
        if (bytes_.size() - at_ < static_cast<std::size_t>(width)) {
            return std::nullopt;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < width; ++i) {
            v |= std::uint64_t{bytes_[at_++]} << (8 * i);
        }
        return v;
    }
    std::optional<std::string_view> utf8() {
        const auto size = number(4);
        if (!size || *size > bytes_.size() - at_) {
            return std::nullopt;
        }
        const std::string_view text(reinterpret_cast<const char*>(bytes_.data() + at_),
                                    static_cast<std::size_t>(*size));
        at_ += static_cast<std::size_t>(*size);
        return text;
    }
    std::optional<std::wstring> text() {
        const auto bytes = utf8();
        return bytes ? std::optional(utf8Codec().decode(*bytes)) : std::nullopt;
    }
    std::size_t at() const { return at_; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

std::string narrowOf(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// An entry's stamp and reading, after its path; nullopt when they do not parse.
std::optional<std::pair<FileStamp, MapReading>> readEntry(Reader& in) {
    const auto size = in.number(8);
    const auto lastWrite = in.number(8);
    const auto readable = in.number(1);
    if (!size || !lastWrite || !readable) {
        return std::nullopt;
    }
    const FileStamp stamp{*size, static_cast<std::int64_t>(*lastWrite)};
    if (*readable == 1) {
        auto title = in.text();
        auto description = in.text();
        const auto players = in.number(1);
        const auto width = in.number(2);
        const auto height = in.number(2);
        const auto tileset = in.number(1);
        if (!title || !description || !players || !width || !height || !tileset || *players > 8 ||
            *tileset > 7) {
            return std::nullopt;
        }
        return std::pair{
            stamp, MapReading{MapInfo{std::move(*title), std::move(*description),
                                      static_cast<int>(*players), static_cast<int>(*width),
                                      static_cast<int>(*height), static_cast<Tileset>(*tileset)},
                              {}}};
    }
    auto error = in.text();
    if (*readable != 0 || !error) {
        return std::nullopt;
    }
    return std::pair{stamp, MapReading{std::nullopt, narrowOf(*error)}};
}

void writeEntry(Writer& out, std::string_view path, const FileStamp& stamp,
                const MapReading& reading) {
    out.utf8(path);
    out.u64(stamp.size);
    out.u64(static_cast<std::uint64_t>(stamp.lastWrite));
    if (const auto& info = reading.info) {
        out.u8(1);
        out.text(info->title);
        out.text(info->description);
        out.u8(static_cast<std::uint8_t>(info->players));
        out.u16(static_cast<std::uint16_t>(info->width));
        out.u16(static_cast<std::uint16_t>(info->height));
        out.u8(static_cast<std::uint8_t>(info->tileset));
    } else {
        out.u8(0);
        out.narrow(reading.error);
    }
}

}  // namespace

// Only the head is parsed here: the checksum over the whole file says it is undamaged, and the
// index is checked to be in hash order and to point inside the entries, which are parsed only
// when looked up.
bool MapCache::load(std::span<const std::uint8_t> bytes) {
    entries_.clear();
    stored_ = false;
    loaded_.clear();
    loadedCount_ = 0;
    loadedSeen_ = 0;
    if (bytes.size() < sizeof kMagic + 8 ||
        !std::equal(kMagic, kMagic + sizeof kMagic, bytes.begin())) {
        return false;
    }
    const std::span<const std::uint8_t> body = bytes.first(bytes.size() - 4);
    Reader tail(bytes.last(4));
    const auto sum = crc32(0L, body.data(), static_cast<uInt>(body.size()));
    if (tail.number(4) != sum) {
        return false;
    }
    Reader in(body, sizeof kMagic);
    if (in.number(4) != kFormatVersion || in.text() != machine_) {
        return false;
    }
    const auto count = in.number(4);
    const std::size_t indexAt = in.at();
    if (!count || *count > (body.size() - indexAt) / kIndexEntryBytes) {
        return false;
    }
    const std::size_t entriesAt = indexAt + static_cast<std::size_t>(*count) * kIndexEntryBytes;
    const std::size_t entriesSize = body.size() - entriesAt;
    if ((*count == 0) != (entriesSize == 0)) {
        return false;
    }
    Reader index(body.subspan(indexAt, entriesAt - indexAt));
    std::uint64_t lastHash = 0;
    for (std::uint64_t i = 0; i < *count; ++i) {
        const auto hash = index.number(8);
        const auto offset = index.number(4);
        if (*hash < lastHash || *offset >= entriesSize) {
            return false;
        }
        lastHash = *hash;
    }
    loaded_.assign(body.begin(), body.end());
    indexAt_ = indexAt;
    entriesAt_ = entriesAt;
    loadedCount_ = static_cast<std::size_t>(*count);
    return true;
}

std::optional<MapCache::Entry> MapCache::loadedEntry(const std::wstring& path) const {
    if (loadedCount_ == 0) {
        return std::nullopt;
    }
    const std::string utf8 = utf8Codec().encode(path);
    const std::uint64_t hash = pathHash(utf8);
    const std::span<const std::uint8_t> index(loaded_.data() + indexAt_,
                                              loadedCount_ * kIndexEntryBytes);
    const auto hashAt = [&index](std::size_t i) {
        return *Reader(index, i * kIndexEntryBytes).number(8);
    };
    // The first index entry whose hash is not below the path's; paths that share a hash follow.
    std::size_t first = 0;
    for (std::size_t count = loadedCount_; count > 0;) {
        const std::size_t half = count / 2;
        if (hashAt(first + half) < hash) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    const std::span<const std::uint8_t> entries = std::span(loaded_).subspan(entriesAt_);
    for (std::size_t i = first; i < loadedCount_ && hashAt(i) == hash; ++i) {
        Reader in(entries,
                  static_cast<std::size_t>(*Reader(index, i * kIndexEntryBytes + 8).number(4)));
        if (in.utf8() != utf8) {
            continue;
        }
        // A sound checksum over an entry that does not parse: written by no version of ours,
        // so the map is only read again.
        auto entry = readEntry(in);
        if (!entry) {
            return std::nullopt;
        }
        return Entry{entry->first, std::move(entry->second), false, true};
    }
    return std::nullopt;
}

std::vector<std::uint8_t> MapCache::serialize() const {
    // The seen entries in hash order, which the index keeps and the lookups rely on.
    std::vector<std::pair<std::uint64_t, std::string>> order;
    std::vector<const Entry*> seen;
    for (const auto& [path, entry] : entries_) {
        if (entry.seen) {
            std::string utf8 = utf8Codec().encode(path);
            const std::uint64_t hash = pathHash(utf8);
            order.emplace_back(hash, std::move(utf8));
            seen.push_back(&entry);
        }
    }
    std::vector<std::size_t> ranks(order.size());
    for (std::size_t i = 0; i < ranks.size(); ++i) {
        ranks[i] = i;
    }
    std::sort(ranks.begin(), ranks.end(),
              [&order](std::size_t a, std::size_t b) { return order[a] < order[b]; });

    Writer entries;
    Writer index;
    for (const std::size_t i : ranks) {
        index.u64(order[i].first);
        index.u32(static_cast<std::uint32_t>(entries.bytes.size()));
        writeEntry(entries, order[i].second, seen[i]->stamp, seen[i]->reading);
    }
    Writer out;
    out.bytes.assign(kMagic, kMagic + sizeof kMagic);
    out.u32(kFormatVersion);
    out.text(machine_);
    out.u32(static_cast<std::uint32_t>(ranks.size()));
    out.bytes.insert(out.bytes.end(), index.bytes.begin(), index.bytes.end());
    out.bytes.insert(out.bytes.end(), entries.bytes.begin(), entries.bytes.end());
    out.u32(static_cast<std::uint32_t>(
        crc32(0L, out.bytes.data(), static_cast<uInt>(out.bytes.size()))));
    return std::move(out.bytes);
}

const MapReading* MapCache::find(const std::wstring& path, const FileStamp& stamp) {
    auto found = entries_.find(path);
    if (found == entries_.end()) {
        auto loaded = loadedEntry(path);
        if (!loaded) {
            return nullptr;
        }
        found = entries_.emplace(path, std::move(*loaded)).first;
    }
    Entry& entry = found->second;
    if (entry.stamp != stamp) {
        return nullptr;
    }
    if (entry.loaded && !entry.seen) {
        ++loadedSeen_;
    }
    entry.seen = true;
    return &entry.reading;
}

void MapCache::store(const std::wstring& path, const FileStamp& stamp, MapReading reading) {
    entries_[path] = Entry{stamp, std::move(reading), true, false};
    stored_ = true;
}

bool MapCache::changed() const {
    return stored_ || loadedSeen_ < loadedCount_;
}

MapCache loadMapCache(const std::wstring& file) {
    MapCache cache(machineName());
    std::string ignored;
    if (const auto bytes = readFileBytes(file, kMaxCacheBytes, ignored)) {
        cache.load(*bytes);
    }
    return cache;
}

bool saveMapCache(const MapCache& cache, const std::wstring& file) {
    if (!cache.changed()) {
        return true;
    }
    return replaceFileBytes(file, cache.serialize());
}

}  // namespace qrvl
