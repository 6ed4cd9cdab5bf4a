// The command line: no argument opens the window; "/pick" makes one update and ends, for a
// launcher to run before the game; "/list" prints the maps (list_command.h); "/preview" saves a
// map's picture (preview_command.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/form1.h"

namespace qrvl {

enum class LaunchMode { Window, Pick, List, Preview, Usage };

// The arguments after the program's name. "/pick", "/list" and "/preview" are matched without
// regard to case, as Windows switches are; "/preview" checks the arguments after it itself. Any
// other argument, or one more after "/pick" or "/list", asks for the usage line.
LaunchMode launchMode(const std::vector<std::wstring>& arguments);

inline constexpr wchar_t kUsageLine[] =
    L"usage: qrvl.exe [/pick | /list | /preview PATH OUT.png [SIZE]]";
inline constexpr int kPickWroteStatus = 0;
inline constexpr int kPickFailedStatus = 1;
inline constexpr int kUsageStatus = 2;

// What one pick came to: kPickWroteStatus after a write, otherwise kPickFailedStatus with one
// line that tells the player why.
struct PickResult {
    int status;
    std::wstring reason;
};

// One update with the settings in config.ini beside the exe, as a tick of the window's timer
// makes it: the saved directory scanned, one map of the ticked kinds written at the head of the
// game's "Recent Maps". It only reads config.ini, and without one it fails rather than asking for
// a folder. `ordinaryFileExists` answers as Form1Host::OrdinaryFileExists does. With a filter in
// config.ini, every map is read (through the cache beside it) and the pick is among those that
// fit; when none does, the reason names the filter and the counts.
PickResult pickOnce(const std::wstring& appPath,
                    const std::function<bool(const std::wstring&)>& ordinaryFileExists,
                    Form1Seams seams = {});

}  // namespace qrvl
