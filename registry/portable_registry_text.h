// Registry contents as .reg-style text, read into and written out of any registry seam: for
// test fixtures and for looking at what a test left behind.
#pragma once

#include <string>
#include <string_view>

#include "registry/registry_api.h"

namespace qrvl::reg {

// The text is regedit's REGEDIT4 form, in the seam's code page:
//
//   REGEDIT4                                   (optional first line)
//   ; a comment
//   [HKEY_CURRENT_USER\Software\Blizzard Entertainment\Starcraft]
//   "Recent Maps"=hex(7):61,00,62,00,00
//   @="the default value"
//   "Count"=dword:00000005
//   "Raw"=hex:0a,ff,03
//
// A key line creates the key (and any missing parents). Root names are the long forms
// (HKEY_CURRENT_USER) or the short ones (HKCU). A quoted value is REG_SZ and is stored with a
// terminating NUL, as regedit stores it; inside quotes, \\ stands for \ and \" for ".
// "hex(N):" gives type N (N in hexadecimal) with exactly the bytes listed; "hex:" is
// REG_BINARY. A line that ends in "\" continues on the next one.
//
// Loads every line it can; answers false, with the 1-based number of the first bad line and
// why, when a line cannot be read or the registry refuses a key or value.
bool loadRegistryText(RegistryApi& api, std::string_view text, std::string* error = nullptr);

// The key `path` under `root` and everything below it, keys in the registry's listing order,
// in the form above. A text value ending in its only NUL is written quoted, a 4-byte
// REG_DWORD as dword:, everything else as hex bytes, so that loading the text back gives
// the same bytes. An empty text when the key cannot be opened.
std::string saveRegistryText(RegistryApi& api, Handle root, const std::string& path);

}  // namespace qrvl::reg
