// The directory-watch seam: which names changed below the maps directory while the program runs.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qrvl {

// One change the watch saw. `name` is relative to the watched directory, as the platform gives
// it; after a directory below was renamed it may still carry the directory's old name.
struct WatchedChange {
    enum class Action {
        Added,
        Removed,
        RenamedFrom,  // the old name of a rename
        RenamedTo,    // the new name of a rename
        Lost,         // changes were lost (the platform's buffer overflowed, or the watch ended)
    };
    Action action = Action::Lost;
    // True when a directory's name changed, false for a file's. Lost concerns either.
    bool directory = false;
    std::wstring name;
};

// Watches one directory and every directory below it. Nothing in the program polls: the real
// watch waits on its own thread and wakes the window's thread when changes are waiting.
class DirectoryWatch {
  public:
    virtual ~DirectoryWatch() = default;

    // Stops watching what was watched before, then watches the directory named by the text (as
    // the catalogue scan reads it: relative, trailing separators and spaces allowed). False when
    // it cannot be watched; nothing is watched then. `wake` is called from the watch's own thread
    // whenever changes start waiting in an empty queue; it may only hand a message to the window.
    virtual bool watch(const std::wstring& directoryText, std::function<void()> wake) = 0;

    // Stops watching and drops the changes not yet taken; harmless when nothing is watched.
    virtual void stop() = 0;

    // The changes seen since the last call, oldest first. Called on the window's thread.
    virtual std::vector<WatchedChange> takeChanges() = 0;

    // True when a file (not a directory) is at the full path now.
    virtual bool fileExists(const std::wstring& path) = 0;
};

// ReadDirectoryChangesW on Windows; elsewhere a watch that never watches.
std::shared_ptr<DirectoryWatch> systemDirectoryWatch();

}  // namespace qrvl
