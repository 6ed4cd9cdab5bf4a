// Standard output lines: WriteConsoleW to a console, UTF-8 to anything else.
#include "ui/win32/output_lines.h"

#include <windows.h>

#include "common/text_codec.h"

namespace qrvl::win32 {

namespace {

constexpr std::size_t kFlushBytes = 64 * 1024;

}  // namespace

OutputLines::OutputLines() {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) {
            return;
        }
        out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE) {
            return;
        }
        opened_ = out;
    }
    handle_ = out;
    DWORD mode = 0;
    console_ = GetConsoleMode(out, &mode) != 0;
}

OutputLines::~OutputLines() {
    flush();
    if (opened_) {
        CloseHandle(opened_);
    }
}

void OutputLines::write(const std::wstring& line) {
    if (!handle_) {
        return;
    }
    if (console_) {
        const std::wstring text = line + L"\r\n";
        DWORD written = 0;
        WriteConsoleW(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    pending_ += utf8Codec().encode(line);
    pending_ += '\n';
    if (pending_.size() >= kFlushBytes) {
        flush();
    }
}

void OutputLines::flush() {
    std::size_t done = 0;
    DWORD written = 0;
    while (handle_ && done < pending_.size() &&
           WriteFile(handle_, pending_.data() + done, static_cast<DWORD>(pending_.size() - done),
                     &written, nullptr) &&
           written > 0) {
        done += written;
    }
    pending_.clear();
}

}  // namespace qrvl::win32
