// The command line: no argument opens the window; "/pick" makes one update and ends, for a
// launcher to run before the game; "/list" prints the maps (list_command.h); "/preview" saves a
// map's picture (preview_command.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mapfile/map_marks.h"
#include "ui/form1.h"

namespace qrvl {

enum class LaunchMode { Window, Pick, PickMap, List, Mark, Preview, Usage };

// What the command line asks for: a mode, and for PickMap and Mark the map's path and the mark.
struct Launch {
    LaunchMode mode;
    std::wstring path;
    Mark mark = Mark::None;
};

// The arguments after the program's name. Switches and mark words are matched without regard to
// case, as Windows switches are: "/pick", "/pick PATH", "/list", "/mark favourite|never|none
// PATH", and "/preview", which checks the arguments after it itself. Anything else asks for the
// usage line.
Launch parseLaunch(const std::vector<std::wstring>& arguments);

inline constexpr wchar_t kUsageLine[] =
    L"usage: qrvl.exe [/pick [PATH] | /list | /mark "
    L"favourite|never|none PATH | /preview PATH OUT.png [SIZE]]";
inline constexpr int kPickWroteStatus = 0;
inline constexpr int kPickFailedStatus = 1;
inline constexpr int kUsageStatus = 2;

// What one pick came to: kPickWroteStatus after a write, otherwise kPickFailedStatus with one
// line that tells the player why.
struct PickResult {
    int status;
    std::wstring reason;
};

// kPickFailedStatus with "qrvl: " and `reason`.
PickResult pickFailure(std::wstring reason);
// Why nothing could be written to the game's list: its key is missing until the game has run.
std::wstring recentMapsUnwritable();

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
