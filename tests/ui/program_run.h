// Running the built qrvl.exe as a launcher or a script runs it, for the command-line e2e tests.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace qrvl::gui_test {

struct ProgramRun {
    DWORD status = 0;
    std::string standardOutput;
    std::string standardError;
    int windowsCreated = 0;
};

// Starts `exe` in its own folder with `arguments`, standard output into a file and standard error
// into a pipe, counts every window its process creates (a window event hook set before it runs its
// first instruction), and waits for it. A process still running after `patience` is ended: a
// window would keep it running.
// The qrvl.exe this build made, as the target of a test that starts it names it in QRVL_EXE_PATH.
#ifdef QRVL_EXE_PATH
inline std::wstring builtExe() {
    const std::string narrow = QRVL_EXE_PATH;
    return std::wstring(narrow.begin(), narrow.end());
}
#endif

ProgramRun runProgram(const std::wstring& exe, const std::wstring& arguments,
                      std::chrono::milliseconds patience = std::chrono::seconds(60));

}  // namespace qrvl::gui_test
