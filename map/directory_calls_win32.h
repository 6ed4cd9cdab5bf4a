// The raw Windows calls the directory lister makes, behind one seam so that file systems Wine
// does not have (shares, FAT, ReFS) can be stood in for.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace qrvl {

// Each member is the Windows call it names, with the arguments the lister passes; failures are
// reported as that call reports them (FALSE or INVALID_HANDLE_VALUE, and GetLastError()).
// Handles come from openDirectory and are closed with CloseHandle.
class DirectoryCalls {
  public:
    virtual ~DirectoryCalls() = default;

    // CreateFileW with FILE_LIST_DIRECTORY and backup semantics, following links and junctions.
    virtual HANDLE openDirectory(const wchar_t* path) = 0;

    // GetFileInformationByHandleEx: the directory listings (one batch of records per call) and
    // FileIdInfo.
    virtual BOOL queryHandle(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* buffer,
                             DWORD size) = 0;

    // GetFileInformationByHandle: attributes, the volume's serial number and the 64-bit file ID.
    virtual BOOL fileInformation(HANDLE handle, BY_HANDLE_FILE_INFORMATION* info) = 0;

    // The 64-bit file ID alone, without the volume's serial number that fileInformation asks
    // for too (NtQueryInformationFile, FileInternalInformation). False when it is not given.
    virtual bool fileId(HANDLE handle, std::uint64_t& id) = 0;

    // GetVolumeInformationByHandleW asking for the file system's name alone ("NTFS", "ReFS").
    virtual BOOL fileSystemName(HANDLE handle, wchar_t* name, DWORD size) = 0;
};

// The real calls.
std::shared_ptr<DirectoryCalls> systemDirectoryCalls();

}  // namespace qrvl
