// What the top-level windows share: the module's instance, their class, their state, their
// controls' colours and their move to a new screen's DPI.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qrvl::win32 {

// Resources, classes and windows all belong to the exe, or to the test exe that links them.
inline HINSTANCE moduleInstance() {
    return GetModuleHandleW(nullptr);
}

// Registers a window class of this module once; a second call for the same name does nothing,
// so each window can ask for its class every time it is created. With an icon resource, the
// class carries that icon at the system DPI's large and small sizes, loaded for good.
void registerWindowClass(const wchar_t* className, WNDPROC procedure, int iconResource = 0);

// The icon resource at `size` pixels square; the caller owns it.
HICON loadIcon(int iconResource, int size);

// kWindowNormal, kWindowMinimised or kWindowMaximised, read from the window.
std::int32_t windowState(HWND window);

// Shows the window in one of those states (restored, minimised, maximised); false for any other
// value, which changes nothing.
bool showWindowState(HWND window, std::int32_t state);

// The answer to WM_CTLCOLORSTATIC or WM_CTLCOLORBTN for a control drawn on the window's face
// colour, also under visual styles, its text in `text`.
LRESULT onFaceColour(WPARAM dc, COLORREF text = GetSysColor(COLOR_BTNTEXT));

// Moves and sizes the window to the rectangle WM_DPICHANGED suggests (its lParam).
void moveToSuggestedRect(HWND window, LPARAM suggested);

}  // namespace qrvl::win32
