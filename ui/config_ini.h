// config.ini beside the exe: where it lies and the section and keys in it, which the window and
// the one-pick command read alike.
#pragma once

#include <string>

#include "map/ansi_path.h"

namespace qrvl {

inline constexpr wchar_t kConfigSection[] = L"QRVL";
inline constexpr wchar_t kPathKey[] = L"path";
inline constexpr wchar_t kScmKey[] = L"scm";
inline constexpr wchar_t kScxKey[] = L"scx";
// The map filter (map_filter.h); missing or empty, a key lets any map through. Older builds
// ignore both.
inline constexpr wchar_t kPlayersKey[] = L"players";
inline constexpr wchar_t kTilesetsKey[] = L"tilesets";
// "only": the picks draw only from the player's favourites (map_marks.h).
inline constexpr wchar_t kFavouritesKey[] = L"favourites";
// A box is ticked only by exactly this value; anything else leaves it clear.
inline constexpr wchar_t kYes[] = L"yes";
inline constexpr wchar_t kNo[] = L"no";

// "<appPath>\config.ini"; a drive root already ends in its separator. config.ini is read and
// written through the ANSI calls, so an exe folder whose name the code page cannot spell is named
// by its short form, or its settings would be lost.
std::wstring configFile(const AnsiPathApi& api, const std::wstring& appPath);

// "<appPath>\qrvl-maps.cache": what the maps said, kept beside config.ini. Opened by its wide
// name, so it needs no short form.
std::wstring mapCacheFile(const std::wstring& appPath);

// "<appPath>\qrvl-marks.txt": the player's marks, beside config.ini.
std::wstring marksFile(const std::wstring& appPath);

}  // namespace qrvl
