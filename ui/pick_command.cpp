// The one-pick command: the window's start-up reading of config.ini and one timer tick, with a
// reason for the player whenever nothing was written.
#include "ui/pick_command.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "common/error.h"
#include "map/catalogue.h"
#include "map/recent_maps.h"
#include "ui/command_config.h"
#include "ui/config_ini.h"
#include "ui/fitting_maps.h"

namespace qrvl {

namespace {

std::wstring kindsText(bool scm, bool scx) {
    if (scm && scx) {
        return L"*.scm or *.scx";
    }
    return scm ? L"*.scm" : L"*.scx";
}

// Why no map could be picked although there are maps of the ticked kinds.
std::wstring nothingToPick(const MapFilter& filter) {
    if (filter.favouritesOnly) {
        return filter.needsReadings() ? L"no favourites fit " + describeFilter(filter)
                                      : std::wstring(L"no favourites among the maps");
    }
    return filter.needsReadings() ? L"no maps fit " + describeFilter(filter)
                                  : std::wstring(L"every map is marked never");
}

std::wstring lowered(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) {
        return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    });
    return text;
}

}  // namespace

PickResult pickFailure(std::wstring reason) {
    return {kPickFailedStatus, L"qrvl: " + std::move(reason)};
}

std::wstring recentMapsUnwritable() {
    return std::wstring(L"cannot write \"") + kRecentMapsValue + L"\" under HKEY_CURRENT_USER\\" +
           kGameKeyPath + L": start the game once, so that it makes its key";
}

Launch parseLaunch(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) {
        return {LaunchMode::Window, {}};
    }
    const std::wstring first = lowered(arguments.front());
    if (first == L"/preview") {
        return {LaunchMode::Preview, {}};
    }
    if (first == L"/pick" && arguments.size() <= 2) {
        return arguments.size() == 1 ? Launch{LaunchMode::Pick, {}}
                                     : Launch{LaunchMode::PickMap, arguments[1]};
    }
    if (first == L"/list" && arguments.size() == 1) {
        return {LaunchMode::List, {}};
    }
    if (first == L"/mark" && arguments.size() == 3) {
        if (const std::optional<Mark> mark = markNamed(arguments[1])) {
            return {LaunchMode::Mark, arguments[2], *mark};
        }
    }
    return {LaunchMode::Usage, {}};
}

PickResult pickOnce(const std::wstring& appPath,
                    const std::function<bool(const std::wstring&)>& ordinaryFileExists,
                    Form1Seams seams) {
    const CommandConfig config = readCommandConfig(appPath, ordinaryFileExists, seams);
    if (!config.saved) {
        return {kPickFailedStatus, config.reason};
    }
    const SavedSettings& saved = *config.saved;
    if (!saved.scm && !saved.scx) {
        return pickFailure(L"config.ini ticks neither kind of map (scm and scx are not \"yes\")");
    }
    if (std::wstring problem = folderProblem(saved, *seams.directories); !problem.empty()) {
        return {kPickFailedStatus, std::move(problem)};
    }
    Catalogue catalogue(seams.directories, seams.ansiPaths);
    RecentMapsUpdate update(
        seams.registry ? std::move(seams.registry) : reg::systemRegistryApi(),
        seams.random ? std::move(seams.random) : std::make_shared<ClockSeededRandom>());
    // The player's marks, as the window follows them; a file that cannot be read counts as none.
    const MapMarks marks = loadMapMarks(marksFile(appPath)).value_or(MapMarks());
    FittingMaps maps;
    maps.setMarks(&marks);
    maps.setFilter(saved.filter);
    const bool filtered = maps.rulesActive();
    if (filtered) {
        catalogue.setMapObserver([&maps](const CataloguedMap& map) { maps.add(map); });
    }
    const MapCollection* chosen = nullptr;
    const MapCollection* fitting = nullptr;
    try {
        catalogue.rebuildCatalogue(saved.path);
        chosen = RecentMapsUpdate::chosenList(saved.scm, saved.scx, catalogue);
        if (filtered) {
            readEveryMap(maps, mapCacheFile(appPath), seams.mapReader, seams.mapContent);
            fitting = maps.chosenList(saved.scm, saved.scx);
        }
        if (update.modifyReg(filtered ? *fitting : *chosen)) {
            return {kPickWroteStatus, {}};
        }
    } catch (const Error&) {
        // Passed over as the window passes it over; the reason follows from what is known.
    }
    if (chosen && chosen->Count() > 0 && fitting && fitting->Count() < 1) {
        const FitCounts counts = maps.counts(saved.filter, saved.scm, saved.scx);
        return pickFailure(nothingToPick(saved.filter) + L" (" + std::to_wstring(counts.maps) +
                           L" maps, " + std::to_wstring(counts.unreadable) + L" unreadable)");
    }
    if (!chosen || chosen->Count() < 1) {
        std::wstring reason =
            L"no maps (" + kindsText(saved.scm, saved.scx) + L") under \"" + saved.path + L"\"";
        if (const std::int32_t leftOut = catalogue.leftOutMaps(); leftOut > 0) {
            // Names the system's code page cannot spell, with no short name to stand in.
            reason += L"; " + std::to_wstring(leftOut) +
                      L" left out, as the game could not open them by any name";
        }
        return pickFailure(std::move(reason));
    }
    return pickFailure(recentMapsUnwritable());
}

}  // namespace qrvl
