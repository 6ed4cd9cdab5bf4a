// Helpers for the tests that drive the real windows under Wine: a recording shell, a scratch
// folder, config.ini and registry fixtures, and a watcher that finds and closes dialogs.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/scratch_folder.h"
#include "tests/ui/recording_shell.h"
#include "ui/win32/shell_calls.h"

namespace qrvl::gui_test {

// The tests' recording shell; built over win32ShellApi() it reads and releases real dialogs'
// identifier lists.
using test::RecordingShell;

using ScratchFolder = qrvl::test::ScratchFolder;

// config.ini's QRVL section, written and read through kernel32 as the program does.
void writeConfig(const std::wstring& folder, const std::wstring& key, const std::wstring& value);
std::wstring readConfig(const std::wstring& folder, const std::wstring& key);

// The game's key, created for a test and removed again after it.
class GameKey {
  public:
    GameKey();
    ~GameKey();
    GameKey(const GameKey&) = delete;
    GameKey& operator=(const GameKey&) = delete;

    // "Recent Maps" split into its entries; empty when the value is missing.
    std::vector<std::wstring> recentMaps() const;
    void setRecentMaps(const std::vector<std::wstring>& entries) const;
};

// Handles messages until `done` answers true or `timeout` passes; true when `done` did. Each
// message goes to `deliver`, or is translated and dispatched when there is none.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               const std::function<void(MSG&)>& deliver = nullptr);

// Handles messages for a while.
void pumpFor(std::chrono::milliseconds duration);

// A visible top-level window of this process whose class name is `className`, or null.
HWND findProcessWindow(const wchar_t* className);

// Texts of every descendant of `window`.
std::vector<std::wstring> childTexts(HWND window);

// A thread that waits for a visible top-level window of this process with the given class,
// calls `onFound` with it from that thread, and ends. Joined on destruction.
class WindowWatcher {
  public:
    WindowWatcher(const wchar_t* className, std::function<void(HWND)> onFound,
                  std::chrono::milliseconds timeout = std::chrono::seconds(30));
    ~WindowWatcher();
    WindowWatcher(const WindowWatcher&) = delete;
    WindowWatcher& operator=(const WindowWatcher&) = delete;

    bool found() const { return found_; }

  private:
    std::atomic<bool> found_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The whole content of a file; empty when it cannot be read.
std::string fileBytes(const std::filesystem::path& file);

// A window's rectangle in its parent's client coordinates.
RECT rectInParent(HWND control);

}  // namespace qrvl::gui_test
