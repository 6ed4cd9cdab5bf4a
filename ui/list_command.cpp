// The listing: the catalogue scan with every map's file noted, then each map read through the
// cache and printed.
#include "ui/list_command.h"

#include <algorithm>

#include "map/catalogue.h"
#include "ui/command_config.h"
#include "ui/config_ini.h"
#include "ui/fitting_maps.h"

namespace qrvl {

namespace {

// A script splits the listing at tabs and line breaks, so none may stand inside a field.
std::wstring field(std::wstring text) {
    std::replace_if(
        text.begin(), text.end(), [](wchar_t c) { return c == L'\t' || c == L'\r' || c == L'\n'; },
        L' ');
    return text;
}

std::wstring lineOf(const FittingMaps::Entry& map) {
    const MapReading& reading = *map.reading;
    const std::string_view word = markWord(map.mark.value_or(Mark::None));
    const std::wstring mark(word.begin(), word.end());
    if (!reading.info) {
        return map.gamePath + L"\t\t\t\t\t\t" + mark + L'\t' + field(reasonText(reading.error));
    }
    const MapInfo& info = *reading.info;
    return map.gamePath + L'\t' + field(info.title) + L'\t' + std::to_wstring(info.players) +
           L'\t' + std::to_wstring(info.width) + L'\t' + std::to_wstring(info.height) + L'\t' +
           std::wstring(tilesetName(info.tileset)) + L'\t' + mark;
}

}  // namespace

PickResult listMaps(const std::wstring& appPath,
                    const std::function<bool(const std::wstring&)>& ordinaryFileExists,
                    const std::function<void(const std::wstring&)>& line, Form1Seams seams) {
    const CommandConfig config = readCommandConfig(appPath, ordinaryFileExists, seams);
    if (!config.saved) {
        return {kPickFailedStatus, config.reason};
    }
    const SavedSettings& saved = *config.saved;
    if (std::wstring problem = folderProblem(saved, *seams.directories); !problem.empty()) {
        return {kPickFailedStatus, std::move(problem)};
    }

    const MapMarks marks = loadMapMarks(marksFile(appPath)).value_or(MapMarks());
    FittingMaps maps;
    maps.setMarks(&marks);
    Catalogue catalogue(seams.directories, seams.ansiPaths);
    catalogue.setMapObserver([&maps](const CataloguedMap& map) { maps.add(map); });
    catalogue.rebuildCatalogue(saved.path);
    line(kListHeader);
    readEveryMap(maps, mapCacheFile(appPath), seams.mapReader, seams.mapContent,
                 [&line](const FittingMaps::Entry& map) { line(lineOf(map)); });
    return {kPickWroteStatus, {}};
}

}  // namespace qrvl
