// One line on standard error from a program without a console of its own.
#pragma once

#include <string>

namespace qrvl::win32 {

// Writes `line` and a line end to standard error: the handle the program was given (a file, a
// pipe, or under Wine the terminal it was started from), else the console of the process that
// started it. Written as UTF-8 to a file or pipe, as text to a console; nothing when there is
// nowhere to write.
void writeErrorLine(const std::wstring& line);

}  // namespace qrvl::win32
