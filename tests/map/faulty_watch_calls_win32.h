// The real watch calls, with a share's faults put in: ReadDirectoryChangesW refused from the
// start, or every read failing from some moment on, as when the share drops its connection.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "map/watch_calls_win32.h"

namespace qrvl::test {

class FaultyWatchCalls final : public WatchCalls {
  public:
    // Every read refused with this error (0: served).
    std::atomic<DWORD> refusal{0};
    // Once set, every read that completes fails with this error, and so does every new read.
    std::atomic<DWORD> dropped{0};
    // Reads asked for, and their results asked for: both stand still once nothing is watched.
    std::atomic<int> reads{0};
    std::atomic<int> results{0};

    HANDLE openDirectory(const wchar_t* path) override { return real_->openDirectory(path); }

    BOOL readChanges(HANDLE directory, void* buffer, DWORD size, DWORD filter,
                     OVERLAPPED* overlapped) override {
        ++reads;
        if (const DWORD error = refusal ? refusal.load() : dropped.load()) {
            SetLastError(error);
            return FALSE;
        }
        return real_->readChanges(directory, buffer, size, filter, overlapped);
    }

    BOOL readResult(HANDLE directory, OVERLAPPED* overlapped, DWORD* bytes, BOOL wait) override {
        ++results;
        const BOOL read = real_->readResult(directory, overlapped, bytes, wait);
        if (const DWORD error = dropped.load()) {
            SetLastError(error);
            return FALSE;
        }
        return read;
    }

  private:
    std::shared_ptr<WatchCalls> real_ = systemWatchCalls();
};

}  // namespace qrvl::test
