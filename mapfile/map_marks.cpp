// Reading and writing the marks file, line by line, and finding a map's marks.
#include "mapfile/map_marks.h"

#include <algorithm>

#include "common/text_codec.h"
#include "mapfile/file_bytes.h"
#include "mapfile/map_reader.h"

namespace qrvl {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A marks file is a few hundred lines; a larger one is not ours to read whole.
constexpr std::uint64_t kMaxMarksFileBytes = 16u << 20;

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t tab = line.find('\t');
        parts.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) {
            return parts;
        }
        line.remove_prefix(tab + 1);
    }
}

std::optional<std::uint64_t> decimal(std::string_view text) {
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::optional<std::pair<MapContent, Mark>> markLine(std::string_view line) {
    const std::vector<std::string_view> parts = fields(line);
    if (parts.size() < 3) {
        return std::nullopt;
    }
    const std::string word(parts[0]);
    const std::optional<Mark> mark = markNamed(utf8Codec().decode(word));
    const std::optional<Sha256> hash = parseSha256Hex(parts[1]);
    const std::optional<std::uint64_t> size = decimal(parts[2]);
    if (!mark || *mark == Mark::None || !hash || !size) {
        return std::nullopt;
    }
    return std::pair{MapContent{*hash, *size}, *mark};
}

// A field for a person to read: tabs and line breaks would split the line.
std::string field(std::wstring_view text) {
    std::string bytes = utf8Codec().encode(text);
    std::replace_if(
        bytes.begin(), bytes.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; },
        ' ');
    return bytes;
}

}  // namespace

std::string_view markWord(Mark mark) {
    switch (mark) {
        case Mark::Favourite:
            return "favourite";
        case Mark::Never:
            return "never";
        case Mark::None:
            break;
    }
    return "";
}

std::optional<Mark> markNamed(std::wstring_view word) {
    std::wstring lower(word);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) {
        return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    });
    if (lower == L"favourite") {
        return Mark::Favourite;
    }
    if (lower == L"never") {
        return Mark::Never;
    }
    return lower == L"none" ? std::optional<Mark>(Mark::None) : std::nullopt;
}

MapMarks MapMarks::parse(std::string_view text) {
    MapMarks marks;
    if (text.starts_with(kByteOrderMark)) {
        marks.byteOrderMark_ = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        const bool carriageReturn = line.ends_with('\r');
        if (carriageReturn) {
            line.remove_suffix(1);
        }
        std::string ending = newline == std::string_view::npos ? (carriageReturn ? "\r" : "")
                                                               : (carriageReturn ? "\r\n" : "\n");
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        Line kept{std::string(line), std::move(ending), std::nullopt};
        if (!line.starts_with('#')) {
            kept.mark = markLine(line);
        }
        marks.lines_.push_back(std::move(kept));
    }
    marks.index();
    return marks;
}

void MapMarks::index() {
    marks_.clear();
    sizes_.clear();
    for (const Line& line : lines_) {
        if (line.mark) {
            marks_[line.mark->first] = line.mark->second;
        }
    }
    for (const auto& [content, mark] : marks_) {
        ++sizes_[content.size];
    }
}

std::string MapMarks::serialize() const {
    std::string text(byteOrderMark_ ? kByteOrderMark : "");
    for (const Line& line : lines_) {
        text += line.text;
        text += line.ending;
    }
    return text;
}

Mark MapMarks::markOf(const MapContent& content) const {
    const auto found = marks_.find(content);
    return found == marks_.end() ? Mark::None : found->second;
}

bool MapMarks::sizeMarked(std::uint64_t size) const {
    return sizes_.contains(size);
}

std::unordered_set<std::uint64_t> MapMarks::sizes() const {
    std::unordered_set<std::uint64_t> sizes;
    for (const auto& [size, marks] : sizes_) {
        sizes.insert(size);
    }
    return sizes;
}

std::size_t MapMarks::count(Mark mark) const {
    return static_cast<std::size_t>(std::count_if(
        marks_.begin(), marks_.end(), [mark](const auto& entry) { return entry.second == mark; }));
}

void MapMarks::set(const MapContent& content, Mark mark, std::wstring_view title,
                   std::wstring_view fileName) {
    // Every line of this content goes; the new one takes the place of the first of them.
    const auto same = [&content](const Line& line) {
        return line.mark && line.mark->first == content;
    };
    const auto first = std::find_if(lines_.begin(), lines_.end(), same);
    const bool existed = first != lines_.end();
    std::size_t at = static_cast<std::size_t>(first - lines_.begin());
    std::string ending = existed ? first->ending : std::string();
    std::erase_if(lines_, same);
    if (mark != Mark::None) {
        if (!existed) {
            // A new line ends as the file's first line does (CRLF in a new file), and a last
            // line without an ending gets one before a line follows it.
            ending = lines_.empty() || lines_.front().ending.empty() ? std::string("\r\n")
                                                                     : lines_.front().ending;
            if (!lines_.empty() && lines_.back().ending.empty()) {
                lines_.back().ending = ending;
            }
            at = lines_.size();
        }
        std::string text(markWord(mark));
        text += '\t' + sha256Hex(content.hash) + '\t' + std::to_string(content.size) + '\t' +
                field(title) + '\t' + field(fileName);
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                      Line{std::move(text), std::move(ending), std::pair{content, mark}});
    }
    index();
}

std::optional<MapMarks> loadMapMarks(const std::wstring& file) {
    std::string error;
    const std::optional<std::vector<std::uint8_t>> bytes =
        readFileBytes(file, kMaxMarksFileBytes, error);
    if (!bytes) {
        // Missing is the usual case; a file that is there but cannot be read must not be
        // replaced by an empty one.
        return fileStamp(file) ? std::nullopt : std::optional<MapMarks>(MapMarks());
    }
    return MapMarks::parse(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

bool saveMapMarks(const MapMarks& marks, const std::wstring& file) {
    const std::string text = marks.serialize();
    return replaceFileBytes(
        file, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<MapContent> mapContentOf(const std::wstring& path) {
    thread_local std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readFileInto(path, kMaxMapFileBytes, error, bytes)) {
        return std::nullopt;
    }
    const std::optional<Sha256> hash = sha256(bytes);
    if (!hash) {
        return std::nullopt;
    }
    return MapContent{*hash, bytes.size()};
}

}  // namespace qrvl
