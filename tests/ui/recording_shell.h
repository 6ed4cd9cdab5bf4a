// A shell that records every call, answers the folder dialog from a script, and can hand what a
// test does not script to a real shell.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/shell_api.h"

namespace qrvl::test {

class RecordingShell final : public ShellApi {
  public:
    struct Notify {
        std::uint32_t message;
        NotifyIconDataA record;
    };
    struct Start {
        std::string commandLine;
        std::uint32_t show;
    };

    // With a platform shell, its code page is used, and identifier lists that `dialog` returns
    // are read and released by it. The tray and program-start calls are only recorded.
    explicit RecordingShell(std::shared_ptr<ShellApi> platform = nullptr)
        : platform_(std::move(platform)) {}

    const TextCodec& codec() const override { return platform_ ? platform_->codec() : utf8Codec(); }

    std::int32_t Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA* data) override {
        notifies.push_back({message, *data});
        return 1;
    }

    // Each dialog is answered by `dialog` when set (the platform's own dialog, or a real
    // identifier list); otherwise by the next scripted answer: a path, "" for an item with no
    // file-system path, or nullopt (also when the script is used up) for a cancel. `whileOpen`
    // runs as the dialog's event loop would.
    ItemIdList SHBrowseForFolderA(const BrowseInfoA* info) override {
        dialogs.push_back(*info);
        titles.emplace_back(info->lpszTitle);
        if (whileOpen) {
            whileOpen();
        }
        if (dialog) {
            return dialog(*info);
        }
        const std::optional<std::wstring> answer = answers.empty() ? std::nullopt : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        if (!answer) {
            return nullptr;
        }
        chosen_ = *answer;
        return &chosen_;
    }

    std::int32_t SHGetPathFromIDListW(ItemIdList list, wchar_t* path) override {
        pathLists.push_back(list);
        bufferSeen.assign(path, kBrowsePathBufferSize);
        if (list != &chosen_) {
            return platform_ ? platform_->SHGetPathFromIDListW(list, path) : 0;
        }
        if (chosen_.empty()) {
            return 0;
        }
        std::copy(chosen_.c_str(), chosen_.c_str() + chosen_.size() + 1, path);
        return 1;
    }

    void CoTaskMemFree(void* memory) override {
        freed.push_back(memory);
        if (memory != &chosen_ && platform_) {
            platform_->CoTaskMemFree(memory);
        }
    }

    std::uint32_t WinExec(const char* commandLine, std::uint32_t show) override {
        starts.push_back({commandLine, show});
        return 33;
    }

    std::vector<Notify> notifies;
    std::deque<std::optional<std::wstring>> answers;
    std::function<ItemIdList(const BrowseInfoA&)> dialog;
    std::function<void()> whileOpen;
    std::vector<BrowseInfoA> dialogs;
    std::vector<std::string> titles;
    std::vector<ItemIdList> pathLists;
    std::wstring bufferSeen;
    std::vector<void*> freed;
    std::vector<Start> starts;

  private:
    std::shared_ptr<ShellApi> platform_;
    std::wstring chosen_;
};

}  // namespace qrvl::test
