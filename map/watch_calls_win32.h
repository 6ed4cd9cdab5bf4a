// The raw Windows calls the directory watch makes, behind one seam so that a share that refuses
// to be watched, or drops its connection mid-watch, can be stood in for.
#pragma once

#include <windows.h>

#include <memory>

namespace qrvl {

// Each member is the Windows call it names, with the arguments the watch passes; failures are
// reported as that call reports them (FALSE or INVALID_HANDLE_VALUE, and GetLastError()).
class WatchCalls {
  public:
    virtual ~WatchCalls() = default;

    // CreateFileW with FILE_LIST_DIRECTORY, backup semantics and overlapped reads.
    virtual HANDLE openDirectory(const wchar_t* path) = 0;

    // ReadDirectoryChangesW of the whole tree below the directory, overlapped.
    virtual BOOL readChanges(HANDLE directory, void* buffer, DWORD size, DWORD filter,
                             OVERLAPPED* overlapped) = 0;

    // GetOverlappedResult of a read.
    virtual BOOL readResult(HANDLE directory, OVERLAPPED* overlapped, DWORD* bytes, BOOL wait) = 0;
};

// The real calls.
std::shared_ptr<WatchCalls> systemWatchCalls();

}  // namespace qrvl
