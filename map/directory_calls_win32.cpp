// The real Windows calls behind the directory lister's seam.
#include "map/directory_calls_win32.h"

#include <winternl.h>

namespace qrvl {
namespace {

class SystemDirectoryCalls final : public DirectoryCalls {
  public:
    HANDLE openDirectory(const wchar_t* path) override {
        return CreateFileW(path, FILE_LIST_DIRECTORY,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    }

    BOOL queryHandle(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* buffer,
                     DWORD size) override {
        return GetFileInformationByHandleEx(handle, type, buffer, size);
    }

    BOOL fileInformation(HANDLE handle, BY_HANDLE_FILE_INFORMATION* info) override {
        return GetFileInformationByHandle(handle, info);
    }

    bool fileId(HANDLE handle, std::uint64_t& id) override {
        IO_STATUS_BLOCK status{};
        FILE_INTERNAL_INFORMATION info{};
        if (!NT_SUCCESS(NtQueryInformationFile(handle, &status, &info, sizeof info,
                                               FileInternalInformation))) {
            return false;
        }
        id = static_cast<std::uint64_t>(info.IndexNumber.QuadPart);
        return true;
    }

    BOOL fileSystemName(HANDLE handle, wchar_t* name, DWORD size) override {
        return GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, nullptr, name,
                                             size);
    }
};

}  // namespace

std::shared_ptr<DirectoryCalls> systemDirectoryCalls() {
    static const auto calls = std::make_shared<SystemDirectoryCalls>();
    return calls;
}

}  // namespace qrvl
