// The event loop: the program's main loop, its modal variant and the scan's yield.
#pragma once

#include <windows.h>

namespace qrvl::win32 {

// Handles every message already waiting, then returns (the forms runtime's DoEvents). A WM_QUIT
// met on the way ends the pumping and is posted again, so that the loop that owns the quit
// still sees it.
void pumpPendingMessages();

// Runs until WM_QUIT and returns its exit code.
int runMessageLoop();

// Runs until `keepGoing` turns false or WM_QUIT arrives (posted again for the outer loop).
// Returns false when it stopped for WM_QUIT.
bool runModalLoop(const bool& keepGoing);

// Sent to the top-level window that holds a key's target before anything else sees the key,
// with the MSG's address in lParam: a window answers 1 when the key was one of its shortcuts.
// Windows that have none leave it to DefWindowProc, which answers 0.
inline constexpr UINT kTranslateKeyMessage = WM_APP + 20;

// A window's shortcuts (kTranslateKeyMessage), then keyboard navigation (Tab, mnemonics, Enter,
// Esc) for the window that has the focus, then the usual translate and dispatch.
void dispatch(MSG& message);

}  // namespace qrvl::win32
