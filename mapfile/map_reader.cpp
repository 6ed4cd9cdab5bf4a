// The archive's scenario candidates tried in the game's order, and the map's name as a title.
#include "mapfile/map_reader.h"

#include "mapfile/file_bytes.h"
#include "mapfile/mpq_archive.h"
#include "mapfile/scenario_reader.h"

namespace qrvl {

namespace {

std::wstring titleFromFileName(std::wstring_view fileName) {
    const std::size_t slash = fileName.find_last_of(L"\\/");
    if (slash != std::wstring_view::npos) {
        fileName.remove_prefix(slash + 1);
    }
    const std::size_t dot = fileName.find_last_of(L'.');
    if (dot != std::wstring_view::npos && dot > 0) {
        fileName = fileName.substr(0, dot);
    }
    return std::wstring(fileName);
}

}  // namespace

MapReading readMapBytes(std::span<const std::uint8_t> file, std::wstring_view fileName) {
    ScenarioCandidates candidates(file);
    bool sawScenario = false;
    while (std::unique_ptr<ByteSource> scenario = candidates.next()) {
        sawScenario = true;
        if (std::optional<MapInfo> info = readScenario(*scenario)) {
            if (info->title.empty()) {
                info->title = titleFromFileName(fileName);
            }
            return {std::move(info), {}};
        }
    }
    return {std::nullopt, sawScenario ? "the scenario is damaged" : candidates.failure()};
}

MapReading readMapFile(const std::wstring& path) {
    // One buffer per thread, reused from map to map.
    thread_local std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readFileInto(path, kMaxMapFileBytes, error, bytes)) {
        return {std::nullopt, std::move(error)};
    }
    return readMapBytes(bytes, path);
}

}  // namespace qrvl
