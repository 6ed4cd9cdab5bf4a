// The directory watch on Windows: ReadDirectoryChangesW on a thread of its own, which wakes the
// window's thread only when changes start waiting.
#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "map/directory_watch.h"
#include "map/directory_watch_win32.h"
#include "map/watch_calls_win32.h"

namespace qrvl {
namespace {

// What one read can report before the platform calls it an overflow.
constexpr DWORD kBufferBytes = 64 * 1024;
// Changes waiting for the window beyond this many are dropped and reported as one loss.
constexpr std::size_t kMostWaiting = 65536;

std::optional<std::wstring> fullPathOf(const std::wstring& text) {
    if (text.empty() || text.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    const DWORD needed = GetFullPathNameW(text.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return std::nullopt;
    }
    std::wstring full(needed, L'\0');
    const DWORD n = GetFullPathNameW(text.c_str(), needed, full.data(), nullptr);
    if (n == 0 || n >= needed) {
        return std::nullopt;
    }
    full.resize(n);
    // Trailing spaces name the same directory, as they do for the scan.
    while (!full.empty() && full.back() == L' ') {
        full.pop_back();
    }
    return full;
}

std::optional<WatchedChange::Action> actionOf(DWORD action) {
    switch (action) {
        case FILE_ACTION_ADDED:
            return WatchedChange::Action::Added;
        case FILE_ACTION_REMOVED:
            return WatchedChange::Action::Removed;
        case FILE_ACTION_RENAMED_OLD_NAME:
            return WatchedChange::Action::RenamedFrom;
        case FILE_ACTION_RENAMED_NEW_NAME:
            return WatchedChange::Action::RenamedTo;
        default:
            return std::nullopt;
    }
}

// One handle on the watched directory. Two of them, one for file names and one for directory
// names, let every change say which of the two it concerns: the platform's report does not.
struct Reader {
    HANDLE directory = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    DWORD filter = 0;
    bool directories = false;
    bool pending = false;
    std::vector<DWORD> buffer = std::vector<DWORD>(kBufferBytes / sizeof(DWORD));

    bool issue(WatchCalls& calls) {
        ResetEvent(overlapped.hEvent);
        pending =
            calls.readChanges(directory, buffer.data(), kBufferBytes, filter, &overlapped) != 0;
        return pending;
    }
};

// One watched directory: its two readers, the thread that waits on them and the changes that
// wait for the window.
class Session {
  public:
    Session(std::shared_ptr<WatchCalls> calls, std::function<void()> wake)
        : calls_(std::move(calls)), wake_(std::move(wake)) {
        InitializeSRWLock(&lock_);
        readers_[0].filter = FILE_NOTIFY_CHANGE_FILE_NAME;
        readers_[1].filter = FILE_NOTIFY_CHANGE_DIR_NAME;
        readers_[1].directories = true;
    }

    ~Session() {
        if (thread_) {
            SetEvent(stop_);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
        }
        for (Reader& reader : readers_) {
            if (reader.pending) {
                DWORD ignored = 0;
                CancelIoEx(reader.directory, &reader.overlapped);
                GetOverlappedResult(reader.directory, &reader.overlapped, &ignored, TRUE);
            }
            if (reader.directory != INVALID_HANDLE_VALUE) {
                CloseHandle(reader.directory);
            }
            if (reader.overlapped.hEvent) {
                CloseHandle(reader.overlapped.hEvent);
            }
        }
        if (stop_) {
            CloseHandle(stop_);
        }
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens both readers and starts both reads here, so that nothing done after this returns
    // goes unseen; then the thread takes over.
    bool start(const std::wstring& directory) {
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!stop_) {
            return false;
        }
        for (Reader& reader : readers_) {
            reader.directory = calls_->openDirectory(directory.c_str());
            reader.overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (reader.directory == INVALID_HANDLE_VALUE || !reader.overlapped.hEvent ||
                !reader.issue(*calls_)) {
                return false;
            }
        }
        thread_ = CreateThread(nullptr, 0, &Session::run, this, 0, nullptr);
        return thread_ != nullptr;
    }

    std::vector<WatchedChange> take() {
        std::vector<WatchedChange> changes;
        AcquireSRWLockExclusive(&lock_);
        changes.swap(waiting_);
        ReleaseSRWLockExclusive(&lock_);
        return changes;
    }

  private:
    static DWORD WINAPI run(void* self) {
        static_cast<Session*>(self)->loop();
        return 0;
    }

    void loop() {
        const std::array<HANDLE, 3> events{stop_, readers_[0].overlapped.hEvent,
                                           readers_[1].overlapped.hEvent};
        for (;;) {
            const DWORD woken = WaitForMultipleObjects(static_cast<DWORD>(events.size()),
                                                       events.data(), FALSE, INFINITE);
            if (woken == WAIT_OBJECT_0 + 1 || woken == WAIT_OBJECT_0 + 2) {
                complete(readers_[woken - WAIT_OBJECT_0 - 1]);
            } else {
                return;
            }
        }
    }

    void complete(Reader& reader) {
        DWORD bytes = 0;
        const bool read =
            calls_->readResult(reader.directory, &reader.overlapped, &bytes, FALSE) != 0;
        const DWORD error = read ? ERROR_SUCCESS : GetLastError();
        reader.pending = false;
        // An event left signalled would wake the loop again at once, for ever.
        ResetEvent(reader.overlapped.hEvent);
        if (read && bytes > 0) {
            publish(changesIn(reader, bytes));
        } else {
            // No bytes, or ERROR_NOTIFY_ENUM_DIR: more changed than the buffer held. Any other
            // error ends this reader (the directory went away, or access to it did, or the share
            // it lies on dropped its connection): it is not asked again, so its event stays
            // clear and the loop waits on for the other reader and the stop.
            publish({WatchedChange{}});
            if (!read && error != ERROR_NOTIFY_ENUM_DIR) {
                return;
            }
        }
        if (!reader.issue(*calls_)) {
            publish({WatchedChange{}});
        }
    }

    static std::vector<WatchedChange> changesIn(const Reader& reader, DWORD bytes) {
        std::vector<WatchedChange> changes;
        const auto* at = reinterpret_cast<const BYTE*>(reader.buffer.data());
        const BYTE* end = at + bytes;
        while (at + sizeof(FILE_NOTIFY_INFORMATION) <= end) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at);
            if (const auto action = actionOf(info->Action)) {
                changes.push_back(
                    {*action, reader.directories,
                     std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t))});
            }
            if (info->NextEntryOffset == 0) {
                break;
            }
            at += info->NextEntryOffset;
        }
        return changes;
    }

    void publish(std::vector<WatchedChange> changes) {
        if (changes.empty()) {
            return;
        }
        AcquireSRWLockExclusive(&lock_);
        const bool wasEmpty = waiting_.empty();
        for (WatchedChange& change : changes) {
            if (waiting_.size() < kMostWaiting) {
                waiting_.push_back(std::move(change));
            } else if (waiting_.back().action != WatchedChange::Action::Lost) {
                waiting_.back() = WatchedChange{};
            }
        }
        ReleaseSRWLockExclusive(&lock_);
        if (wasEmpty) {
            wake_();
        }
    }

    std::shared_ptr<WatchCalls> calls_;
    std::function<void()> wake_;
    std::array<Reader, 2> readers_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    SRWLOCK lock_;
    std::vector<WatchedChange> waiting_;
};

class Win32DirectoryWatch final : public DirectoryWatch {
  public:
    explicit Win32DirectoryWatch(std::shared_ptr<WatchCalls> calls) : calls_(std::move(calls)) {}
    ~Win32DirectoryWatch() override { stop(); }

    bool watch(const std::wstring& directoryText, std::function<void()> wake) override {
        stop();
        const std::optional<std::wstring> directory = fullPathOf(directoryText);
        if (!directory) {
            return false;
        }
        auto session = std::make_unique<Session>(calls_, std::move(wake));
        if (!session->start(*directory)) {
            return false;
        }
        session_ = std::move(session);
        return true;
    }

    void stop() override { session_.reset(); }

    std::vector<WatchedChange> takeChanges() override {
        return session_ ? session_->take() : std::vector<WatchedChange>{};
    }

    bool fileExists(const std::wstring& path) override {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

  private:
    std::shared_ptr<WatchCalls> calls_;
    std::unique_ptr<Session> session_;
};

}  // namespace

std::shared_ptr<DirectoryWatch> win32DirectoryWatch(std::shared_ptr<WatchCalls> calls) {
    return std::make_shared<Win32DirectoryWatch>(std::move(calls));
}

std::shared_ptr<DirectoryWatch> systemDirectoryWatch() {
    return win32DirectoryWatch();
}

}  // namespace qrvl
