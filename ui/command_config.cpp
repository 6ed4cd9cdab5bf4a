// Reading config.ini for /pick and /list; a value that cannot be read counts as missing.
#include "ui/command_config.h"

#include "common/error.h"
#include "ui/config_ini.h"

namespace qrvl {

CommandConfig readCommandConfig(const std::wstring& appPath,
                                const std::function<bool(const std::wstring&)>& ordinaryFileExists,
                                std::shared_ptr<ProfileApi> profile, const AnsiPathApi& ansiPaths) {
    CINI ini(std::move(profile));
    ini.path(configFile(ansiPaths, appPath));
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
    config.saved = SavedSettings{value(kPathKey), value(kScmKey) == kYes, value(kScxKey) == kYes};
    return config;
}

bool namesFolder(const SavedSettings& saved) {
    return saved.path.find_first_not_of(L' ') != std::wstring::npos;
}

std::wstring cannotOpenFolderReason(const std::wstring& folder) {
    return L"qrvl: cannot open the maps folder \"" + folder + L"\"";
}

}  // namespace qrvl
