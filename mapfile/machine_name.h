// The name of this computer: a cache written on another one is not trusted.
#pragma once

#include <string>

namespace qrvl {

// GetComputerNameW on Windows, the host name elsewhere; empty when it cannot be asked.
std::wstring machineName();

}  // namespace qrvl
