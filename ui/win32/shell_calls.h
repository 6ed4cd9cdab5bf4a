// The shell seam on Windows: shell32, ole32 and kernel32 called directly.
#pragma once

#include <memory>

#include "ui/shell_api.h"

namespace qrvl {

// The "A" calls' texts in the system ANSI code page. Shared by everything that needs the shell,
// from the one user-interface thread; its only state is whether an icon has been asked for yet.
// The folder dialog needs COM initialised on the calling thread.
std::shared_ptr<ShellApi> win32ShellApi();

}  // namespace qrvl
