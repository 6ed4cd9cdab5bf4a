// The Filter window's texts and behaviour; ui/win32 draws it and forwards its events here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "mapfile/map_filter.h"
#include "mapfile/map_info.h"
#include "ui/controls.h"
#include "ui/fitting_maps.h"

namespace qrvl {

namespace filter_text {
inline constexpr wchar_t kCaption[] = L"Map filter";
// The item in the main window's system menu and in its right-click menu.
inline constexpr wchar_t kMenuItem[] = L"Map filter...";
inline constexpr wchar_t kPlayersFrame[] = L"Players";
inline constexpr wchar_t kTilesetsFrame[] = L"Tilesets";
inline constexpr wchar_t kFavourites[] = L"Only my fa&vourites";
inline constexpr wchar_t kOk[] = L"OK";
inline constexpr wchar_t kCancel[] = L"Cancel";
}  // namespace filter_text

// "1,204": counts (never negative) as the window shows them, grouped by thousands.
std::wstring groupedCount(std::int64_t count);
// "312 of 1,204 maps fit (9 unreadable)", and how many are still to read while the worker reads.
std::wstring countLine(const FitCounts& counts);
// "Last pick: Lost Temple (4 players, 128 x 128, Jungle)", or that it was not read.
std::wstring lastPickLine(const std::optional<MapInfo>& info);

// What the Filter window reads and changes: the main window's side.
class FilterSource {
  public:
    virtual ~FilterSource() = default;
    // The filter the updates use now.
    virtual MapFilter CurrentFilter() = 0;
    // How the maps read so far stand against `filter`.
    virtual FitCounts Counts(const MapFilter& filter) = 0;
    // What the last pick said, when it was read.
    virtual std::optional<MapInfo> LastPick() = 0;
    // Saves the filter in config.ini; the next update draws with it.
    virtual void ApplyFilter(const MapFilter& filter) = 0;
};

class FilterHost {
  public:
    virtual ~FilterHost() = default;
    // Unloads the window, which ends its modal display.
    virtual void Unload() = 0;
};

// One loaded Filter window. No box ticked in a group means any value of it fits.
class frmFilter {
  public:
    frmFilter(FilterSource& source, FilterHost& host);

    // Ticks the boxes of the current filter and fills the two lines.
    void Form_Load();
    // More maps were read, a map was picked or a box changed: the two lines follow.
    void Refresh();
    void OK_Click();
    void Cancel_Click();

    // The filter the boxes say.
    MapFilter Chosen() const;

    std::array<CheckBox, 8> Players;   // "&1" to "&8"
    std::array<CheckBox, 8> Tilesets;  // in the scenario's order, with their mnemonics
    CheckBox Favourites{filter_text::kFavourites};
    Label Count;
    Label LastPick;
    Command OK{filter_text::kOk};
    Command Cancel{filter_text::kCancel};

  private:
    FilterSource& source_;
    FilterHost& host_;
};

}  // namespace qrvl
