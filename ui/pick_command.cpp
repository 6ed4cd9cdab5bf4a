// The one-pick command: the window's start-up reading of config.ini and one timer tick, with a
// reason for the player whenever nothing was written.
#include "ui/pick_command.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "common/error.h"
#include "map/catalogue.h"
#include "map/recent_maps.h"
#include "settings/cini.h"
#include "ui/config_ini.h"

namespace qrvl {

namespace {

struct SavedSettings {
    std::wstring path;
    bool scm = false;
    bool scx = false;
};

// Read as the window's start-up reads them; a value that cannot be read counts as missing.
SavedSettings readSettings(CINI& ini) {
    SavedSettings saved;
    const auto value = [&ini](const wchar_t* key) {
        try {
            ini.Key(key);
            return ini.Value();
        } catch (const Error&) {
            return std::wstring();
        }
    };
    saved.path = value(kPathKey);
    saved.scm = value(kScmKey) == kYes;
    saved.scx = value(kScxKey) == kYes;
    return saved;
}

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
    return arguments.size() == 1 && first == L"/pick" ? LaunchMode::Pick : LaunchMode::Usage;
}

PickResult pickOnce(const std::wstring& appPath,
                    const std::function<bool(const std::wstring&)>& ordinaryFileExists,
                    Form1Seams seams) {
    const std::shared_ptr<AnsiPathApi> ansiPaths =
        seams.ansiPaths ? std::move(seams.ansiPaths) : systemAnsiPathApi();
    CINI ini(seams.profile ? std::move(seams.profile) : systemProfileApi());
    ini.path(configFile(*ansiPaths, appPath));
    ini.Section(kConfigSection);
    if (!ordinaryFileExists(ini.path())) {
        return failed(L"no config.ini at " + ini.path() +
                      L"; start qrvl.exe once without /pick to choose the maps folder");
    }
    const SavedSettings saved = readSettings(ini);
    if (!saved.scm && !saved.scx) {
        return failed(L"config.ini ticks neither kind of map (scm and scx are not \"yes\")");
    }
    if (saved.path.find_first_not_of(L' ') == std::wstring::npos) {
        return failed(L"config.ini names no maps folder");
    }

    const std::shared_ptr<DirectoryLister> lister =
        seams.directories ? std::move(seams.directories) : systemDirectoryLister();
    if (!lister->open(saved.path)) {
        return failed(L"cannot open the maps folder \"" + saved.path + L"\"");
    }
    Catalogue catalogue(lister, ansiPaths);
    RecentMapsUpdate update(
        seams.registry ? std::move(seams.registry) : reg::systemRegistryApi(),
        seams.random ? std::move(seams.random) : std::make_shared<ClockSeededRandom>());
    const MapCollection* chosen = nullptr;
    try {
        catalogue.rebuildCatalogue(saved.path);
        chosen = RecentMapsUpdate::chosenList(saved.scm, saved.scx, catalogue);
        if (update.modifyReg(*chosen)) {
            return {kPickWroteStatus, {}};
        }
    } catch (const Error&) {
        // Passed over as the window passes it over; the reason follows from what is known.
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
