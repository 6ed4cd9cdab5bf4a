// A shell that records every call and answers the folder dialog from a script.
#pragma once

#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <string>
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

    const TextCodec& codec() const override { return utf8Codec(); }

    std::int32_t Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA* data) override {
        notifies.push_back({message, *data});
        return 1;
    }

    // Each dialog takes the next scripted answer: a path, "" for an item with no file-system
    // path, or nullopt for a cancel. `whileOpen` runs as the dialog's event loop would.
    ItemIdList SHBrowseForFolderA(const BrowseInfoA* info) override {
        dialogs.push_back(*info);
        titles.emplace_back(info->lpszTitle);
        if (whileOpen) {
            whileOpen();
        }
        const std::optional<std::string> answer = answers.empty() ? std::nullopt : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        if (!answer) {
            return nullptr;
        }
        chosen = *answer;
        return &chosen;
    }

    std::int32_t SHGetPathFromIDListA(ItemIdList list, char* path) override {
        pathLists.push_back(list);
        bufferSeen.assign(path, kBrowsePathBufferSize);
        if (list != &chosen || chosen.empty()) {
            return 0;
        }
        std::memcpy(path, chosen.c_str(), chosen.size() + 1);
        return 1;
    }

    void CoTaskMemFree(void* memory) override { freed.push_back(memory); }

    std::uint32_t WinExec(const char* commandLine, std::uint32_t show) override {
        starts.push_back({commandLine, show});
        return 33;
    }

    std::vector<Notify> notifies;
    std::deque<std::optional<std::string>> answers;
    std::function<void()> whileOpen;
    std::vector<BrowseInfoA> dialogs;
    std::vector<std::string> titles;
    std::vector<ItemIdList> pathLists;
    std::string bufferSeen;
    std::vector<void*> freed;
    std::vector<Start> starts;

  private:
    std::string chosen;
};

}  // namespace qrvl::test
