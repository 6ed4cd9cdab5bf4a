// The shell's folder dialog, asking for the maps directory.
#pragma once

#include <string>

#include "ui/shell_api.h"

namespace qrvl {

inline constexpr wchar_t kBrowseTitle[] = L"Select the folder to pick the map from:";

// Shows the dialog (modal; the tree starts at the desktop, only file-system directories can be
// confirmed) and returns the chosen directory's full path as the shell forms it, or "" when
// the user cancelled or the choice has no file-system path. The dialog's identifier list is
// released on every path. Nothing is kept between calls.
std::wstring BrowseForFolder(ShellApi& shell, WindowHandle owner);

}  // namespace qrvl
