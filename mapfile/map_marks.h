// The player's marks, favourite and never, keyed by a map's content and kept in a file a person
// can read, back up and edit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "mapfile/sha256.h"

namespace qrvl {

enum class Mark : std::uint8_t { None, Favourite, Never };

// "favourite" and "never", as the file and the command line spell them; "" for None.
std::string_view markWord(Mark mark);
// The mark a word names, without regard to ASCII case: also "none"; nullopt for any other word.
std::optional<Mark> markNamed(std::wstring_view word);

// A map's content as its marks know it: a rename, a move or a copy keeps both, a new version of
// the map changes them.
struct MapContent {
    Sha256 hash{};
    std::uint64_t size = 0;

    auto operator<=>(const MapContent&) const = default;
};

// The file's name, beside config.ini.
inline constexpr wchar_t kMarksFileName[] = L"qrvl-marks.txt";

// The marks file's lines in their order. UTF-8, one mark per line:
//   favourite|never TAB sha-256 in hex TAB size in bytes TAB title TAB file name
// The title and the file name are for people reading the file and are not read back. Lines
// that begin with "#" are comments. A line that is neither is kept exactly as it is, and so is
// every line that no change touched, so that a file written back without a change comes out
// byte for byte the same. When one content has several lines, the last one counts.
class MapMarks {
  public:
    // Never fails: a byte-order mark, CRLF or LF, and hex in either case are all read.
    static MapMarks parse(std::string_view text);
    std::string serialize() const;

    Mark markOf(const MapContent& content) const;
    // Whether any mark is for a file of this size: only such a file is worth hashing, and the
    // directory listing gives sizes for free.
    bool sizeMarked(std::uint64_t size) const;
    std::unordered_set<std::uint64_t> sizes() const;
    // Sets the mark, or clears it with None. The title and file name are kept for people.
    void set(const MapContent& content, Mark mark, std::wstring_view title,
             std::wstring_view fileName);

    bool empty() const noexcept { return marks_.empty(); }
    std::size_t count(Mark mark) const;

  private:
    struct Line {
        std::string text;    // as read, or as last written for a mark that changed
        std::string ending;  // "\r\n", "\n", or "" for a last line without one
        std::optional<std::pair<MapContent, Mark>> mark;
    };
    void index();

    bool byteOrderMark_ = false;
    std::vector<Line> lines_;
    std::map<MapContent, Mark> marks_;
    std::map<std::uint64_t, std::size_t> sizes_;  // marks per size
};

// The marks file as loaded: nullopt when it exists but cannot be read, so that it is never
// written over; a missing file gives no marks.
std::optional<MapMarks> loadMapMarks(const std::wstring& file);
// Written atomically (a temporary file, then a rename); false when the folder cannot be written.
bool saveMapMarks(const MapMarks& marks, const std::wstring& file);

// The content of the map file at `path`, or nullopt when it cannot be read or hashed.
std::optional<MapContent> mapContentOf(const std::wstring& path);
using MapContentReader = std::function<std::optional<MapContent>(const std::wstring& path)>;

}  // namespace qrvl
