// "qrvl.exe /mark favourite|never|none PATH" and "qrvl.exe /pick PATH": one map named on the
// command line, for scripts and launchers that have already chosen.
#pragma once

#include <string>

#include "mapfile/map_marks.h"
#include "ui/form1.h"
#include "ui/pick_command.h"

namespace qrvl {

// Sets or clears the mark of the map at `path` in the marks file beside the exe. Neither command
// needs config.ini. kPickFailedStatus with one line when `path` is not a readable map, or the
// marks file cannot be read or written.
PickResult markMap(const std::wstring& appPath, Mark mark, const std::wstring& path,
                   Form1Seams seams = {});

// Writes the map at `path` at the head of the game's list, as the Maps window's "Play next"
// does, under the name the game can open. kPickFailedStatus with one line when it is not a
// readable map, the game could not open it by any name, or the game's list cannot be written.
PickResult pickMap(const std::wstring& path, Form1Seams seams = {});

}  // namespace qrvl
