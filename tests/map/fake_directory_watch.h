// A scripted directory watch for tests: changes are pushed by the test, files exist where it says.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "map/directory_watch.h"

namespace qrvl {

class FakeDirectoryWatch final : public DirectoryWatch {
  public:
    bool watch(const std::wstring& directoryText, std::function<void()> wake) override {
        watched.push_back(directoryText);
        waiting_.clear();
        wake_ = watchable ? std::move(wake) : nullptr;
        return watchable;
    }
    void stop() override {
        waiting_.clear();
        wake_ = nullptr;
    }
    std::vector<WatchedChange> takeChanges() override { return std::exchange(waiting_, {}); }
    bool fileExists(const std::wstring& path) override {
        asked.push_back(path);
        return files.count(path) != 0;
    }

    // As the real watch does, wakes the window only when the queue was empty; a watch that is
    // not watching sees nothing.
    void push(WatchedChange change) {
        if (!wake_) {
            return;
        }
        const bool wasEmpty = waiting_.empty();
        waiting_.push_back(std::move(change));
        if (wasEmpty) {
            wake_();
        }
    }

    bool watchable = true;
    std::vector<std::wstring> watched;  // every text watch() was given, in order
    std::set<std::wstring> files;       // what fileExists finds
    std::vector<std::wstring> asked;    // every path fileExists was asked about

  private:
    std::function<void()> wake_;
    std::vector<WatchedChange> waiting_;
};

}  // namespace qrvl
