// The listing: the catalogue scan with every map's file noted, then each map read through the
// cache and printed.
#include "ui/list_command.h"

#include <algorithm>
#include <vector>

#include "map/catalogue.h"
#include "mapfile/map_cache.h"
#include "mapfile/map_reader.h"
#include "ui/command_config.h"

namespace qrvl {

namespace {

struct ListedMap {
    std::wstring gamePath;
    std::wstring fullPath;
    std::optional<FileStamp> stamp;
};

// A script splits the listing at tabs and line breaks, so none may stand inside a field.
std::wstring field(std::wstring text) {
    std::replace_if(
        text.begin(), text.end(), [](wchar_t c) { return c == L'\t' || c == L'\r' || c == L'\n'; },
        L' ');
    return text;
}

std::wstring lineOf(const ListedMap& map, const MapReading& reading) {
    if (!reading.info) {
        return map.gamePath + L"\t\t\t\t\t\t" +
               field(std::wstring(reading.error.begin(), reading.error.end()));
    }
    const MapInfo& info = *reading.info;
    return map.gamePath + L'\t' + field(info.title) + L'\t' + std::to_wstring(info.players) +
           L'\t' + std::to_wstring(info.width) + L'\t' + std::to_wstring(info.height) + L'\t' +
           std::wstring(tilesetName(info.tileset));
}

}  // namespace

PickResult listMaps(const std::wstring& appPath,
                    const std::function<bool(const std::wstring&)>& ordinaryFileExists,
                    const std::function<void(const std::wstring&)>& line, Form1Seams seams,
                    ListSeams listSeams) {
    const CommandConfig config = readCommandConfig(appPath, ordinaryFileExists, seams);
    if (!config.saved) {
        return {kPickFailedStatus, config.reason};
    }
    const SavedSettings& saved = *config.saved;
    if (std::wstring problem = folderProblem(saved, *seams.directories); !problem.empty()) {
        return {kPickFailedStatus, std::move(problem)};
    }

    std::vector<ListedMap> maps;
    Catalogue catalogue(seams.directories, seams.ansiPaths);
    catalogue.setMapObserver([&maps](const CataloguedMap& map) {
        maps.push_back({map.gamePath, *map.file.path, map.file.stamp});
    });
    catalogue.rebuildCatalogue(saved.path);

    const MapFileReader reader = listSeams.reader ? listSeams.reader : MapFileReader(readMapFile);
    MapCache cache = listSeams.cacheFile.empty() ? MapCache() : loadMapCache(listSeams.cacheFile);
    line(kListHeader);
    for (const ListedMap& map : maps) {
        line(lineOf(map, readThroughCache(cache, map.fullPath, map.stamp, reader)));
    }
    // Where the folder cannot be written the listing stands all the same; the maps are only read
    // again next time.
    if (!listSeams.cacheFile.empty()) {
        saveMapCache(cache, listSeams.cacheFile);
    }
    return {kPickWroteStatus, {}};
}

}  // namespace qrvl
