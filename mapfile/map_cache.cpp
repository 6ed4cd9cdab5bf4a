// The cache file's format: a header naming the version and the machine, the entries, and a
// checksum over all of it, so that a damaged file is known and ignored.
#include "mapfile/map_cache.h"

#include <zlib.h>

#include <algorithm>
#include <optional>

#include "common/text_codec.h"
#include "mapfile/file_bytes.h"
#include "mapfile/machine_name.h"

namespace qrvl {

namespace {

constexpr char kMagic[8] = {'Q', 'R', 'V', 'L', 'M', 'A', 'P', 'C'};
// Raised whenever an entry's layout or a reader's rule changes, so that old answers are dropped.
constexpr std::uint32_t kFormatVersion = 1;
// A cache file larger than this is not one of ours: 100,000 maps take a tenth of it.
constexpr std::uint64_t kMaxCacheBytes = 256u << 20;

class Writer {
  public:
    void u8(std::uint8_t v) { bytes.push_back(v); }
    void u16(std::uint16_t v) { number(v, 2); }
    void u32(std::uint32_t v) { number(v, 4); }
    void u64(std::uint64_t v) { number(v, 8); }
    void text(const std::wstring& s) {
        const std::string utf8 = utf8Codec().encode(s);
        u32(static_cast<std::uint32_t>(utf8.size()));
        bytes.insert(bytes.end(), utf8.begin(), utf8.end());
    }
    void narrow(const std::string& s) { text(std::wstring(s.begin(), s.end())); }
    std::vector<std::uint8_t> bytes;

  private:
    void number(std::uint64_t v, int width) {
        for (int i = 0; i < width; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
};

// Every read checked against what is left; the first short read fails the whole file.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
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
    std::optional<std::wstring> text() {
        const auto size = number(4);
        if (!size || *size > bytes_.size() - at_) {
            return std::nullopt;
        }
        const std::string_view utf8(reinterpret_cast<const char*>(bytes_.data() + at_),
                                    static_cast<std::size_t>(*size));
        at_ += static_cast<std::size_t>(*size);
        return utf8Codec().decode(utf8);
    }
    bool atEnd() const { return at_ == bytes_.size(); }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

std::string narrowOf(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace

bool MapCache::load(std::span<const std::uint8_t> bytes) {
    entries_.clear();
    stored_ = false;
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
    Reader in(body.subspan(sizeof kMagic));
    if (in.number(4) != kFormatVersion || in.text() != machine_) {
        return false;
    }
    std::unordered_map<std::wstring, Entry> loaded;
    const auto count = in.number(4);
    if (!count) {
        return false;
    }
    for (std::uint64_t i = 0; i < *count; ++i) {
        auto path = in.text();
        const auto size = in.number(8);
        const auto lastWrite = in.number(8);
        const auto readable = in.number(1);
        if (!path || !size || !lastWrite || !readable) {
            return false;
        }
        Entry entry{{*size, static_cast<std::int64_t>(*lastWrite)}, {}};
        if (*readable == 1) {
            auto title = in.text();
            auto description = in.text();
            const auto players = in.number(1);
            const auto width = in.number(2);
            const auto height = in.number(2);
            const auto tileset = in.number(1);
            if (!title || !description || !players || !width || !height || !tileset ||
                *players > 8 || *tileset > 7) {
                return false;
            }
            entry.reading.info =
                MapInfo{std::move(*title),          std::move(*description),
                        static_cast<int>(*players), static_cast<int>(*width),
                        static_cast<int>(*height),  static_cast<Tileset>(*tileset)};
        } else {
            auto error = in.text();
            if (*readable != 0 || !error) {
                return false;
            }
            entry.reading.error = narrowOf(*error);
        }
        loaded[std::move(*path)] = std::move(entry);
    }
    if (!in.atEnd()) {
        return false;
    }
    entries_ = std::move(loaded);
    return true;
}

std::vector<std::uint8_t> MapCache::serialize() const {
    Writer out;
    out.bytes.assign(kMagic, kMagic + sizeof kMagic);
    out.u32(kFormatVersion);
    out.text(machine_);
    const auto seen = std::count_if(entries_.begin(), entries_.end(),
                                    [](const auto& item) { return item.second.seen; });
    out.u32(static_cast<std::uint32_t>(seen));
    for (const auto& [path, entry] : entries_) {
        if (!entry.seen) {
            continue;
        }
        out.text(path);
        out.u64(entry.stamp.size);
        out.u64(static_cast<std::uint64_t>(entry.stamp.lastWrite));
        if (const auto& info = entry.reading.info) {
            out.u8(1);
            out.text(info->title);
            out.text(info->description);
            out.u8(static_cast<std::uint8_t>(info->players));
            out.u16(static_cast<std::uint16_t>(info->width));
            out.u16(static_cast<std::uint16_t>(info->height));
            out.u8(static_cast<std::uint8_t>(info->tileset));
        } else {
            out.u8(0);
            out.narrow(entry.reading.error);
        }
    }
    out.u32(static_cast<std::uint32_t>(
        crc32(0L, out.bytes.data(), static_cast<uInt>(out.bytes.size()))));
    return std::move(out.bytes);
}

const MapReading* MapCache::find(const std::wstring& path, const FileStamp& stamp) {
    const auto found = entries_.find(path);
    if (found == entries_.end() || found->second.stamp != stamp) {
        return nullptr;
    }
    found->second.seen = true;
    return &found->second.reading;
}

void MapCache::store(const std::wstring& path, const FileStamp& stamp, MapReading reading) {
    entries_[path] = Entry{stamp, std::move(reading), true};
    stored_ = true;
}

bool MapCache::changed() const {
    return stored_ || std::any_of(entries_.begin(), entries_.end(),
                                  [](const auto& item) { return !item.second.seen; });
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
