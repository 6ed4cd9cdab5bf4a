// frmAbout's real window: banner, credits, version line, the two links and "&Ok".
#pragma once

#include <windows.h>

#include "ui/about.h"
#include "ui/shell_api.h"
#include "ui/win32/dpi_layout.h"

namespace qrvl::win32 {

inline constexpr wchar_t kAboutWindowClass[] = L"QuorvelPickerfrmAbout";

inline constexpr int kAboutClientWidthTwips = 3345;
inline constexpr int kAboutClientHeightTwips = 4560;
// Where the client area's top-left corner opens, from the screen's top-left corner.
inline constexpr int kAboutLeftTwips = 8130;
inline constexpr int kAboutTopTwips = 2460;

// Places inside the About window's client area; the labels' places are relative to Frame1.
inline constexpr TwipsRect kFrame1Twips{120, 1080, 3135, 2895};
inline constexpr TwipsRect kOkTwips{120, 4080, 3135, 375};
inline constexpr TwipsRect kImage1Twips{120, 120, 3120, 900};

// Shows the About window modally, owned by `owner`: the owner takes no input meanwhile but
// its timer keeps ticking. Returns once "&Ok" (or the close box, or Esc) has unloaded it; a
// WM_QUIT met meanwhile unloads it too and is posted again for the outer loop.
void showAbout(HWND owner, ShellApi& shell);

}  // namespace qrvl::win32
