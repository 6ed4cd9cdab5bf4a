// frmFilter's real window: the players' and tilesets' boxes, the two lines, OK and Cancel.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/filter_form.h"
#include "ui/win32/dpi_layout.h"

namespace qrvl::win32 {

inline constexpr wchar_t kFilterWindowClass[] = L"QuorvelPickerFilter";

inline constexpr int kFilterClientWidthTwips = 4695;
inline constexpr int kFilterClientHeightTwips = 3945;

// Places inside the client area. The boxes lie inside their frames: the players' in one row,
// the tilesets' in two columns of four.
inline constexpr TwipsRect kPlayersFrameTwips{120, 120, 4455, 630};
inline constexpr TwipsRect kTilesetsFrameTwips{120, 870, 4455, 1500};
inline constexpr TwipsRect kFavouritesTwips{240, 2475, 4335, 255};
inline constexpr TwipsRect kCountTwips{120, 2790, 4455, 255};
inline constexpr TwipsRect kLastPickTwips{120, 3075, 4455, 255};
inline constexpr TwipsRect kFilterOkTwips{2160, 3450, 1155, 375};
inline constexpr TwipsRect kFilterCancelTwips{3420, 3450, 1155, 375};

// Where the `index`th box (0 to 7) of each group lies.
TwipsRect playerBoxTwips(int index);
TwipsRect tilesetBoxTwips(int index);

// Called with a function the window wants run whenever the source's maps or last pick change,
// and with an empty one when the window goes.
using FilterWatch = std::function<void(std::function<void()>)>;

// Shows the Filter window modally over `source`, owned by `owner` and centred over it: the owner
// takes no input meanwhile but its timer keeps ticking. Returns once OK, Cancel, Esc or the
// close box has unloaded it; a WM_QUIT met meanwhile unloads it too and is posted again.
void showFilter(HWND owner, FilterSource& source, const FilterWatch& watch);

}  // namespace qrvl::win32
