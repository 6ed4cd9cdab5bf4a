// What the maps said last time, kept in a file beside config.ini so that a map is read once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/file_stamp.h"
#include "mapfile/map_reader.h"

namespace qrvl {

// The cache file's name, beside config.ini.
inline constexpr wchar_t kMapCacheFileName[] = L"qrvl-maps.cache";

// Entries are keyed by the map's full path, and hold only while its size and last write are the
// ones recorded. The cache is never needed: a file that is missing, cut, damaged, of another
// format version or from another machine loads as empty, and the maps are read again.
//
// A loaded cache is checked whole but parsed only as its entries are looked up: the first pick
// with a filter needs the few maps read before one fits, not ten thousand.
class MapCache {
  public:
    MapCache() = default;
    // `machine` names the computer; a cache written on another is not trusted.
    explicit MapCache(std::wstring machine) : machine_(std::move(machine)) {}

    // Replaces the entries with those in `bytes`; false (and no entries) when they are not a
    // cache of this version from this machine.
    bool load(std::span<const std::uint8_t> bytes);
    // The seen entries, as a cache file: maps not looked up or stored since load() are gone.
    std::vector<std::uint8_t> serialize() const;

    // The reading kept for the map, or nullptr when the map is new or has changed since. A hit
    // counts the map as seen.
    const MapReading* find(const std::wstring& path, const FileStamp& stamp);
    void store(const std::wstring& path, const FileStamp& stamp, MapReading reading);

    // True when serialize() would differ from what load() read: something was stored, or a
    // loaded entry was never seen.
    bool changed() const;

  private:
    struct Entry {
        FileStamp stamp;
        MapReading reading;
        bool seen = false;
        bool loaded = false;  // it came from load(), not from store()
    };
    // The loaded entry for the path, parsed out of the loaded bytes; nullopt when there is none.
    std::optional<Entry> loadedEntry(const std::wstring& path) const;

    std::wstring machine_;
    // The entries looked up or stored since load(); a loaded entry joins on its first lookup.
    std::unordered_map<std::wstring, Entry> entries_;
    bool stored_ = false;
    // The loaded file, its index (hash and offset of each entry, ordered by hash) and entries.
    std::vector<std::uint8_t> loaded_;
    std::size_t indexAt_ = 0;
    std::size_t entriesAt_ = 0;
    std::size_t loadedCount_ = 0;
    std::size_t loadedSeen_ = 0;
};

// The cache file beside config.ini loaded for this machine, and written back atomically.
MapCache loadMapCache(const std::wstring& file);
// Writes only when the cache changed; false when the file could not be written (the program
// goes on without it).
bool saveMapCache(const MapCache& cache, const std::wstring& file);

}  // namespace qrvl
