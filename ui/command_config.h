// config.ini as the command-line modes read it: the window's start-up reading, without ever
// asking the player anything.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "mapfile/map_filter.h"
#include "ui/form1.h"

namespace qrvl {

struct SavedSettings {
    std::wstring path;
    bool scm = false;
    bool scx = false;
    MapFilter filter;
};

struct CommandConfig {
    std::wstring file;  // config.ini's path as the ANSI calls spell it
    // nullopt, with `reason` for the player, when there is no config.ini.
    std::optional<SavedSettings> saved;
    std::wstring reason;
};

// Fills the seams left empty (profile, ANSI paths, directories) with the system's own first, so
// that the caller goes on with the same ones.
CommandConfig readCommandConfig(const std::wstring& appPath,
                                const std::function<bool(const std::wstring&)>& ordinaryFileExists,
                                Form1Seams& seams);

// Why the saved folder cannot be scanned, for the player: config.ini names none (a text of spaces
// names none), or it cannot be opened. Empty when it can.
std::wstring folderProblem(const SavedSettings& saved, DirectoryLister& directories);

}  // namespace qrvl
