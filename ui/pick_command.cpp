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

PickResult failed(std::wstring reason) {
    return {kPickFailedStatus, L"qrvl: " + std::move(reason)};
}

}  // namespace

LaunchMode launchMode(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) {
        return LaunchMode::Window;
    }
    std::wstring first = arguments.front();
    std::transform(first.begin(), first.end(), first.begin(), [](wchar_t c) {
        return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    });
    if (first == L"/preview") {
        return LaunchMode::Preview;
    }
    if (arguments.size() != 1) {
        return LaunchMode::Usage;
    }
    if (first == L"/pick") {
        return LaunchMode::Pick;
    }
    return first == L"/list" ? LaunchMode::List : LaunchMode::Usage;
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
        return failed(L"config.ini ticks neither kind of map (scm and scx are not \"yes\")");
    }
    if (std::wstring problem = folderProblem(saved, *seams.directories); !problem.empty()) {
        return {kPickFailedStatus, std::move(problem)};
    }
    Catalogue catalogue(seams.directories, seams.ansiPaths);
    RecentMapsUpdate update(
        seams.registry ? std::move(seams.registry) : reg::systemRegistryApi(),
        seams.random ? std::move(seams.random) : std::make_shared<ClockSeededRandom>());
    FittingMaps maps;
    const bool filtered = saved.filter.active();
    if (filtered) {
        maps.setFilter(saved.filter);
        catalogue.setMapObserver([&maps](const CataloguedMap& map) { maps.add(map); });
    }
    const MapCollection* chosen = nullptr;
    const MapCollection* fitting = nullptr;
    try {
        catalogue.rebuildCatalogue(saved.path);
        chosen = RecentMapsUpdate::chosenList(saved.scm, saved.scx, catalogue);
        if (filtered) {
            readEveryMap(maps, mapCacheFile(appPath), seams.mapReader);
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
        return failed(L"no maps fit " + describeFilter(saved.filter) + L" (" +
                      std::to_wstring(counts.maps) + L" maps, " +
                      std::to_wstring(counts.unreadable) + L" unreadable)");
    }
    if (!chosen || chosen->Count() < 1) {
        std::wstring reason =
            L"no maps (" + kindsText(saved.scm, saved.scx) + L") under \"" + saved.path + L"\"";
        if (const std::int32_t leftOut = catalogue.leftOutMaps(); leftOut > 0) {
            // Names the system's code page cannot spell, with no short name to stand in.
            reason += L"; " + std::to_wstring(leftOut) +
                      L" left out, as the game could not open them by any name";
        }
        return failed(std::move(reason));
    }
    return failed(std::wstring(L"cannot write \"") + kRecentMapsValue +
                  L"\" under HKEY_CURRENT_USER\\" + kGameKeyPath +
                  L": start the game once, so that it makes its key");
}

}  // namespace qrvl
