// "qrvl.exe /list": every map of the saved folder with what it says about itself, one line each,
// for players and for launchers and scripts.
#pragma once

#include <functional>
#include <string>

#include "ui/form1.h"
#include "ui/pick_command.h"

namespace qrvl {

// The first line: the columns, tab-separated. `mark` is "favourite", "never" or empty. A map that
// cannot be read has its path, empty fields, its mark, and an eighth field that says why.
inline constexpr wchar_t kListHeader[] =
    L"path\ttitle\tplayers\twidth\theight\ttileset\tmark\terror";

// Scans the folder config.ini names, both kinds of map whatever its boxes say, and hands `line`
// the header and then one line per map in catalogue order (no line break at the end). Maps are
// read through the cache beside config.ini, which is written back once at the end. The status and
// reason follow /pick's: kPickWroteStatus after the listing, kPickFailedStatus when there is no
// config.ini or no folder to scan.
PickResult listMaps(const std::wstring& appPath,
                    const std::function<bool(const std::wstring&)>& ordinaryFileExists,
                    const std::function<void(const std::wstring&)>& line, Form1Seams seams = {});

}  // namespace qrvl
