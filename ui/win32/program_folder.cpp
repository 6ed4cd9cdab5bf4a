// The exe's own folder and the ordinary-file test, over kernel32.
#include "ui/win32/program_folder.h"

#include <windows.h>

#include <vector>

namespace qrvl::win32 {

std::wstring executableDirectory() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return L"";
    // A drive root keeps its backslash ("C:\"), as the forms runtime gave it.
    return path.substr(0, slash == 2 && path[1] == L':' ? slash + 1 : slash);
}

bool ordinaryFileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    return (attributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

}  // namespace qrvl::win32
