// The commands on one named map: its reading checked first, then its mark or its pick.
#include "ui/map_commands.h"

#include <optional>
#include <utility>

#include "common/native_path.h"
#include "map/ansi_path.h"
#include "map/recent_maps.h"
#include "mapfile/map_reader.h"
#include "ui/config_ini.h"

namespace qrvl {

namespace {

// The map's reading, or why the path names none.
std::optional<MapReading> readableMap(const std::wstring& full, const std::wstring& given,
                                      const MapFileReader& reader, std::wstring& why) {
    MapReading reading = reader ? reader(full) : readMapFile(full);
    if (!reading.info) {
        why = L"\"" + given + L"\" is not a readable map: " + reasonText(reading.error);
        return std::nullopt;
    }
    return reading;
}

}  // namespace

PickResult markMap(const std::wstring& appPath, Mark mark, const std::wstring& path,
                   Form1Seams seams) {
    const std::wstring full = absolutePath(path);
    std::wstring why;
    const std::optional<MapReading> reading = readableMap(full, path, seams.mapReader, why);
    if (!reading) {
        return pickFailure(why);
    }
    const std::optional<MapContent> content =
        seams.mapContent ? seams.mapContent(full) : mapContentOf(full);
    if (!content) {
        return pickFailure(L"cannot read \"" + path + L"\"");
    }
    const std::wstring file = marksFile(appPath);
    std::optional<MapMarks> marks = loadMapMarks(file);
    if (!marks) {
        // Written over, the player's marks would be lost.
        return pickFailure(L"cannot read " + file);
    }
    marks->set(*content, mark, reading->info->title, fileNameOf(full));
    if (!saveMapMarks(*marks, file)) {
        return pickFailure(L"cannot write " + file);
    }
    return {kPickWroteStatus, {}};
}

PickResult pickMap(const std::wstring& path, Form1Seams seams) {
    const std::wstring full = absolutePath(path);
    std::wstring why;
    if (!readableMap(full, path, seams.mapReader, why)) {
        return pickFailure(why);
    }
    const auto ansiPaths = seams.ansiPaths ? seams.ansiPaths : systemAnsiPathApi();
    const std::optional<std::wstring> gamePath = ansiOpenablePath(*ansiPaths, full);
    if (!gamePath) {
        return pickFailure(L"the game cannot open \"" + path +
                           L"\" by any name: its name is not in the system's code page and it has "
                           L"no short name, or its path is too long");
    }
    RecentMapsUpdate update(seams.registry ? std::move(seams.registry) : reg::systemRegistryApi());
    if (!update.writeFirst(*gamePath)) {
        return pickFailure(recentMapsUnwritable());
    }
    return {kPickWroteStatus, {}};
}

}  // namespace qrvl
