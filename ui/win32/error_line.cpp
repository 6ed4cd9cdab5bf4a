// Standard error for a GUI-subsystem exe: the given handle, or the parent's console.
#include "ui/win32/error_line.h"

#include <windows.h>

#include <string>

#include "common/text_codec.h"

namespace qrvl::win32 {

void writeErrorLine(const std::wstring& line) {
    HANDLE out = GetStdHandle(STD_ERROR_HANDLE);
    HANDLE opened = nullptr;
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        // Windows gives a GUI program started from a console no standard handles unless they
        // are redirected; the console of the shell that started it still shows the line.
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return;
        opened =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (opened == INVALID_HANDLE_VALUE)
            return;
        out = opened;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        const std::wstring text = line + L"\r\n";
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        const std::string bytes = utf8Codec().encode(line + L"\n");
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    if (opened)
        CloseHandle(opened);
}

}  // namespace qrvl::win32
