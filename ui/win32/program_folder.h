// The exe's own folder and the file test that decides a first run: the window and the one-pick
// command ask them alike.
#pragma once

#include <string>

namespace qrvl::win32 {

// The folder that holds the running exe, without a trailing "\" except for a drive root ("C:\").
std::wstring executableDirectory();

// True when an ordinary file exists at the path; directories, hidden and system files count as
// missing.
bool ordinaryFileExists(const std::wstring& path);

}  // namespace qrvl::win32
