// Reading config.ini for /pick and /list; a value that cannot be read counts as missing.
#include "ui/command_config.h"

#include "common/error.h"
#include "settings/cini.h"
#include "ui/config_ini.h"

namespace qrvl {

CommandConfig readCommandConfig(const std::wstring& appPath,
                                const std::function<bool(const std::wstring&)>& ordinaryFileExists,
                                Form1Seams& seams) {
    if (!seams.profile) {
        seams.profile = systemProfileApi();
    }
    if (!seams.ansiPaths) {
        seams.ansiPaths = systemAnsiPathApi();
    }
    if (!seams.directories) {
        seams.directories = systemDirectoryLister();
    }
    CINI ini(seams.profile);
    ini.path(configFile(*seams.ansiPaths, appPath));
    ini.Section(kConfigSection);
    CommandConfig config{ini.path(), std::nullopt, {}};
    if (!ordinaryFileExists(ini.path())) {
        config.reason = L"qrvl: no config.ini at " + ini.path() +
                        L"; start qrvl.exe once without a switch to choose the maps folder";
        return config;
    }
    const auto value = [&ini](const wchar_t* key) {
        try {
            ini.Key(key);
            return ini.Value();
        } catch (const Error&) {
            return std::wstring();
        }
    };
    config.saved = SavedSettings{
        value(kPathKey), value(kScmKey) == kYes, value(kScxKey) == kYes,
        parseMapFilter(value(kPlayersKey), value(kTilesetsKey), value(kFavouritesKey))};
    return config;
}

std::wstring folderProblem(const SavedSettings& saved, DirectoryLister& directories) {
    if (saved.path.find_first_not_of(L' ') == std::wstring::npos) {
        return L"qrvl: config.ini names no maps folder";
    }
    if (!directories.open(saved.path)) {
        return L"qrvl: cannot open the maps folder \"" + saved.path + L"\"";
    }
    return {};
}

}  // namespace qrvl
