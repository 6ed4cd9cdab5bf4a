// The real Windows calls behind the directory watch's seam.
#include "map/watch_calls_win32.h"

namespace qrvl {
namespace {

class SystemWatchCalls final : public WatchCalls {
  public:
    HANDLE openDirectory(const wchar_t* path) override {
        return CreateFileW(
            path, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    }

    BOOL readChanges(HANDLE directory, void* buffer, DWORD size, DWORD filter,
                     OVERLAPPED* overlapped) override {
        return ReadDirectoryChangesW(directory, buffer, size, TRUE, filter, nullptr, overlapped,
                                     nullptr);
    }

    BOOL readResult(HANDLE directory, OVERLAPPED* overlapped, DWORD* bytes, BOOL wait) override {
        return GetOverlappedResult(directory, overlapped, bytes, wait);
    }
};

}  // namespace

std::shared_ptr<WatchCalls> systemWatchCalls() {
    static const auto calls = std::make_shared<SystemWatchCalls>();
    return calls;
}

}  // namespace qrvl
