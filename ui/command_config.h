// config.ini as the command-line modes read it: the window's start-up reading, without ever
// asking the player anything.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "map/ansi_path.h"
#include "settings/cini.h"

namespace qrvl {

struct SavedSettings {
    std::wstring path;
    bool scm = false;
    bool scx = false;
};

struct CommandConfig {
    std::wstring file;  // config.ini's path as the ANSI calls spell it
    // nullopt, with `reason` for the player, when there is no config.ini.
    std::optional<SavedSettings> saved;
    std::wstring reason;
};

CommandConfig readCommandConfig(const std::wstring& appPath,
                                const std::function<bool(const std::wstring&)>& ordinaryFileExists,
                                std::shared_ptr<ProfileApi> profile, const AnsiPathApi& ansiPaths);

// True when config.ini names a maps folder at all (a text of spaces names none).
bool namesFolder(const SavedSettings& saved);

inline constexpr wchar_t kNoFolderReason[] = L"qrvl: config.ini names no maps folder";
std::wstring cannotOpenFolderReason(const std::wstring& folder);

}  // namespace qrvl
