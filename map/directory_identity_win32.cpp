// The identity of a directory on Windows: its volume serial number and file index.
#include <windows.h>

#include "map/directory_identity.h"

namespace qrvl {

std::optional<std::string> directoryIdentity(const std::wstring& directory) {
    // Backup semantics let CreateFileW open a directory; no access right is needed to ask for
    // its file information, and junctions are followed to the directory they name.
    HANDLE handle =
        CreateFileW(directory.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!ok) {
        return std::nullopt;
    }
    return directoryIdentity(info.dwVolumeSerialNumber,
                             (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
}

}  // namespace qrvl
